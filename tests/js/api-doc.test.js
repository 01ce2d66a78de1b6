'use strict';
// docs/API.md is generated from the declaration files and must not drift from them.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { renderApiDoc, readDeclarations, DOC_FILE } = require('../../scripts/gen-api-doc');

test('docs/API.md is what scripts/gen-api-doc.js generates', () => {
  const current = fs.readFileSync(DOC_FILE, 'utf8');
  assert.ok(current === renderApiDoc(), 'docs/API.md is stale: run `npm run api-doc` and commit it');
});

test('the reference shows each function with its family, types and the notifications it posts', () => {
  const doc = renderApiDoc();
  assert.match(doc, /^### Credential store$/m);
  assert.match(doc, /^\| `getPasswordForAccount\(account\)`<br>.* \| `account: string` .* \| `JsonText<PasswordReadResult>` /m);
  assert.match(doc, /^\| `deliverUserNotification\(.*`"ZqNotificationDidDeliver"`/m);
});

test('a declaration without its family, result or parameter text is refused', (t) => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'api-doc-'));
  t.after(() => fs.rmSync(dir, { recursive: true, force: true }));
  const write = (body) => {
    const file = path.join(dir, `${Math.random().toString(36).slice(2)}.d.ts`);
    fs.writeFileSync(file, `declare namespace X {\n${body}\n}\nexport = X;\n`);
    return file;
  };
  const complete = '/**\n * Does it.\n * @param a the value.\n * @returns nothing.\n * @category Things\n */\nfunction f(a: string): void;';
  assert.deepEqual(readDeclarations(write(complete)).functions.map((fn) => [fn.name, fn.category]), [['f', 'Things']]);
  assert.throws(() => readDeclarations(write(complete.replace(' * @category Things\n', ''))), /f: needs exactly one @category/);
  assert.throws(() => readDeclarations(write(complete.replace(' * @returns nothing.\n', ''))), /f: @returns is missing/);
  assert.throws(() => readDeclarations(write(complete.replace(' * @param a the value.\n', ''))), /f: @param a is missing/);
  assert.throws(() => readDeclarations(write(complete.replace('@category', '@posts Unquoted\n * @category'))),
    /@posts needs one quoted name/);
});
