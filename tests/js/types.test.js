'use strict';
// The package entries and the TypeScript declarations: the entries are the add-ons themselves,
// the declarations name exactly their functions, a host's use of them compiles under
// `tsc --noEmit --strict`, and no declared type admits a value the argument contract refuses.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { spawnSync } = require('node:child_process');
const ts = require('typescript');
const { buildDir, loadModule, loadPlatform } = require('./support');
const { declaredFunctionNames, MODULE_FILE, PLATFORM_FILE } = require('../../scripts/gen-api-doc');

const root = path.resolve(__dirname, '..', '..');

function assertSameNames(declared, exported, what) {
  const missing = exported.filter((name) => !declared.includes(name));
  const extra = declared.filter((name) => !exported.includes(name));
  assert.deepEqual({ missing, extra }, { missing: [], extra: [] },
    `${what}: declarations missing for exported functions, or declared functions not exported`);
}

// The entries load build/; a run against another build (the sanitizer run's) must not mix them in.
const entriesSkip = path.resolve(buildDir) === path.join(root, 'build') ? false
  : `the package entries load build/, and this run tests ${buildDir}`;

test('the package entries are the add-ons themselves, with nothing added', { skip: entriesSkip }, () => {
  assert.equal(require.resolve('velquarin-native'), path.join(root, 'index.js'));
  assert.equal(require.resolve('velquarin-native/platform'), path.join(root, 'platform.js'));
  const native = require('velquarin-native');
  const platform = require('velquarin-native/platform');
  assert.equal(native, require(path.join(root, 'build', 'VelquarinNative.node')));
  assert.equal(platform, require(path.join(root, 'build', 'VelquarinPlatform.node')));
  assert.equal(Object.keys(native).length, 114);
  assert.ok(Object.keys(platform).includes('observe'));
});

test('the declaration files name exactly the functions the add-ons export', () => {
  assertSameNames(declaredFunctionNames(MODULE_FILE), Object.keys(loadModule()), 'index.d.ts');
  assertSameNames(declaredFunctionNames(PLATFORM_FILE), Object.keys(loadPlatform()), 'platform.d.ts');
});

test('a host using the declarations compiles with tsc --noEmit --strict', () => {
  const tsc = require.resolve('typescript/bin/tsc');
  // The type checker loads no add-on: the sanitizer run hands it the plain node, on which it
  // takes seconds rather than minutes.
  const node = process.env.VELQUARIN_UNSANITIZED_NODE || process.execPath;
  const result = spawnSync(node, [tsc, '-p', 'tests/types/tsconfig.json', '--noEmit', '--strict'], {
    cwd: root,
    encoding: 'utf8',
    timeout: 180000,
  });
  assert.equal(result.error, undefined);
  assert.equal(result.status, 0, `${result.stdout}${result.stderr}`);
});

// ---- Declarations against the asserted argument contracts

// The TypeScript type of each value test a contract condition uses.
const CONTRACT_TYPES = {
  String: 'string',
  Null: 'null',
  Undefined: 'undefined',
  NullOrUndefined: 'null | undefined',
  Object: 'object',
  Function: '(...args: any[]) => any',
  Int32: 'number',
  Uint32: 'number',
  Number: 'number',
  Boolean: 'boolean',
  Buffer: 'Buffer',
};

function sourceFiles(dir) {
  return fs.readdirSync(dir, { withFileTypes: true }).flatMap((entry) => {
    const full = path.join(dir, entry.name);
    if (entry.isDirectory()) return sourceFiles(full);
    return entry.name.endsWith('.cc') ? [full] : [];
  });
}

// The text between the bracket at `open` and its partner.
function balanced(text, open, left, right) {
  let depth = 0;
  for (let i = open; i < text.length; i++) {
    if (text[i] === left) depth++;
    if (text[i] === right && --depth === 0) return text.slice(open + 1, i);
  }
  throw new Error(`unbalanced ${left} at ${open}`);
}

// The contract conditions each exported function's entry asserts, by JavaScript name.
function assertedConditions() {
  const table = fs.readFileSync(path.join(root, 'src', 'VelquarinNative.cc'), 'utf8');
  const jsNameOfEntry = new Map(
    [...table.matchAll(/\{\s*"(\w+)",\s*&(\w+)\s*\}/g)].map(([, jsName, entry]) => [entry, jsName]));
  const conditions = new Map();
  const entryPattern = /Napi::Value\s+(\w+)\s*\(\s*const\s+Napi::CallbackInfo\s*&\s*\w+\s*\)\s*\{/g;
  for (const file of sourceFiles(path.join(root, 'src'))) {
    const text = fs.readFileSync(file, 'utf8');
    for (const match of text.matchAll(entryPattern)) {
      const jsName = jsNameOfEntry.get(match[1]);
      if (!jsName) continue;
      const body = balanced(text, match.index + match[0].length - 1, '{', '}');
      const found = [];
      for (const contract of body.matchAll(/ZQ_CONTRACT\s*\(/g)) {
        found.push(balanced(body, contract.index + contract[0].length - 1, '(', ')').replace(/\s+/g, ' ').trim());
      }
      conditions.set(jsName, found);
    }
  }
  assert.equal(conditions.size, jsNameOfEntry.size, 'every entry of the export table was found in src/');
  return conditions;
}

// Type-level checks of the conditions: [what breaks when it fails, check, expected value].
function contractChecks(conditions) {
  const checks = [];
  for (const [jsName, list] of conditions) {
    const args = `Args<typeof native.${jsName}>`;
    for (const condition of list) {
      const terms = condition.split('||').map((term) => term.trim());
      const lengths = terms.map((term) => /^args\.Length\(\) (==|>=) (\d+)$/.exec(term));
      const positions = terms.map((term) => /^args\[(\d+)\]->Is(\w+)\(\)$/.exec(term));
      const what = `${jsName}: ${condition}`;
      if (lengths.every(Boolean)) {
        const exact = lengths.filter((m) => m[1] === '==').map((m) => m[2]);
        const atLeast = lengths.filter((m) => m[1] === '>=').map((m) => Number(m[2]));
        if (exact.length) {
          checks.push([`${what}: the declared argument counts differ`, `Same<${args}["length"], ${exact.join(' | ')}>`, true]);
        }
        for (const minimum of atLeast) {
          for (let count = 0; count < minimum; count++) {
            checks.push([`${what}: the declaration allows ${count} arguments`, `Within<${count}, ${args}["length"]>`, false]);
          }
        }
      } else if (positions.every(Boolean) && new Set(positions.map((m) => m[1])).size === 1) {
        const types = positions.map((m) => {
          assert.ok(m[2] in CONTRACT_TYPES, `${what}: no TypeScript type known for Is${m[2]}()`);
          return CONTRACT_TYPES[m[2]];
        });
        checks.push([`${what}: the declared type admits more than ${types.join(' | ')}`,
          `Within<${args}[${positions[0][1]}], ${types.join(' | ')}>`, true]);
      }
    }
  }
  return checks;
}

test('no declared argument admits a value its asserted contract refuses', () => {
  const checks = contractChecks(assertedConditions());
  assert.ok(checks.length > 150, `only ${checks.length} contract checks were derived`);
  const header = [
    'import native = require("velquarin-native");',
    'type Within<A, B> = [A] extends [B] ? true : false;',
    'type Same<A, B> = [A] extends [B] ? ([B] extends [A] ? true : false) : false;',
    'type Args<F extends (...args: any) => any> = Parameters<F>;',
  ];
  const lines = checks.map(([, check, expected], i) => `export const check${i}: ${check} = ${expected};`);
  const text = [...header, ...lines].join('\n');
  const virtualFile = path.join(root, 'tests', 'types', 'contracts.generated.ts');

  const options = {
    strict: true,
    noEmit: true,
    skipLibCheck: true,
    module: ts.ModuleKind.Node16,
    moduleResolution: ts.ModuleResolutionKind.Node16,
    target: ts.ScriptTarget.ES2022,
    types: ['node'],
  };
  const host = ts.createCompilerHost(options);
  const getSourceFile = host.getSourceFile.bind(host);
  host.getSourceFile = (fileName, languageVersion, ...rest) => (fileName === virtualFile
    ? ts.createSourceFile(fileName, text, languageVersion)
    : getSourceFile(fileName, languageVersion, ...rest));
  const fileExists = host.fileExists.bind(host);
  host.fileExists = (fileName) => fileName === virtualFile || fileExists(fileName);
  const program = ts.createProgram([virtualFile], options, host);
  const sourceFile = program.getSourceFile(virtualFile);
  const broken = ts.getPreEmitDiagnostics(program, sourceFile).map((diagnostic) => {
    const line = diagnostic.file === sourceFile
      ? sourceFile.getLineAndCharacterOfPosition(diagnostic.start).line - header.length : -1;
    const message = ts.flattenDiagnosticMessageText(diagnostic.messageText, ' ');
    if (line < 0) return message;
    // A failed check reads "Type 'true' is not assignable to type 'false'": its description says more.
    return /^Type '(true|false)' is not assignable/.test(message) ? checks[line][0] : `${checks[line][0]} (${message})`;
  });
  assert.deepEqual(broken, []);
});
