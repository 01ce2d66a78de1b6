'use strict';
// Writes docs/API.md from the declaration files, so the reference cannot drift from them.
//   node scripts/gen-api-doc.js           writes docs/API.md
//   node scripts/gen-api-doc.js --check   exits 1 when docs/API.md differs from what it would write
// The JSDoc of each function carries its family (@category), the notifications it posts
// (@posts "Name") and, for callbacks it does not take as arguments, their types (@calls).
const fs = require('node:fs');
const path = require('node:path');
const ts = require('typescript');

const root = path.resolve(__dirname, '..');
const MODULE_FILE = path.join(root, 'index.d.ts');
const PLATFORM_FILE = path.join(root, 'platform.d.ts');
const DOC_FILE = path.join(root, 'docs', 'API.md');

const printer = ts.createPrinter({ removeComments: true, newLine: ts.NewLineKind.LineFeed });
const flat = (text) => text.replace(/\s+/g, ' ').trim();

// A declaration's own JSDoc: its text and its tags.
function jsDocOf(node) {
  const docs = ts.getJSDocCommentsAndTags(node).filter(ts.isJSDoc);
  const doc = docs.at(-1);
  if (!doc) return { text: '', tags: [] };
  const tags = (doc.tags || []).map((tag) => ({
    tag: tag.tagName.text,
    name: ts.isJSDocParameterTag(tag) ? tag.name.getText() : undefined,
    text: flat(ts.getTextOfJSDocComment(tag.comment) || ''),
  }));
  return { text: flat(ts.getTextOfJSDocComment(doc.comment) || ''), tags };
}

const typeText = (node, sourceFile) =>
  node ? flat(printer.printNode(ts.EmitHint.Unspecified, node, sourceFile)) : 'void';

// The source text of a declaration inside the namespace, without its JSDoc, dedented.
function declarationText(node, sourceFile) {
  const [first, ...rest] = node.getText(sourceFile).split('\n');
  return [first, ...rest.map((line) => line.replace(/^ {2}/, ''))].join('\n');
}

function fail(file, message) {
  throw new Error(`${path.relative(root, file)}: ${message}`);
}

// Reads a declaration file of the form `declare namespace X { ... } export = X;`.
function readDeclarations(file) {
  const sourceFile = ts.createSourceFile(file, fs.readFileSync(file, 'utf8'), ts.ScriptTarget.ES2022, true,
    ts.ScriptKind.TS);
  const assignment = sourceFile.statements.find(ts.isExportAssignment);
  if (!assignment || !ts.isIdentifier(assignment.expression)) fail(file, 'needs `export = <namespace>`');
  const namespaceName = assignment.expression.text;
  const namespace = sourceFile.statements.find(
    (statement) => ts.isModuleDeclaration(statement) && statement.name.text === namespaceName);
  if (!namespace || !namespace.body || !ts.isModuleBlock(namespace.body)) {
    fail(file, `needs a namespace ${namespaceName}`);
  }

  const types = [];
  const functionNodes = [];
  for (const statement of namespace.body.statements) {
    if (ts.isFunctionDeclaration(statement)) functionNodes.push(statement);
    if (ts.isTypeAliasDeclaration(statement) || ts.isInterfaceDeclaration(statement)) {
      const doc = jsDocOf(statement);
      const isCallback = ts.isTypeAliasDeclaration(statement) && ts.isFunctionTypeNode(statement.type);
      types.push({
        name: statement.name.text,
        node: statement,
        kind: isCallback ? 'callback' : 'type',
        // Aliases of the other file's types are documented there.
        alias: ts.isTypeAliasDeclaration(statement) && ts.isTypeReferenceNode(statement.type) &&
          ts.isQualifiedName(statement.type.typeName),
        doc: doc.text,
        returns: doc.tags.find((tag) => tag.tag === 'returns')?.text,
        text: declarationText(statement, sourceFile),
      });
    }
  }
  const callbackNames = new Set(types.filter((type) => type.kind === 'callback').map((type) => type.name));

  const functions = functionNodes.map((node) => {
    const name = node.name.text;
    const doc = jsDocOf(node);
    const tagged = (tag) => doc.tags.filter((entry) => entry.tag === tag).map((entry) => entry.text);
    const params = node.parameters.map((parameter) => {
      const paramName = parameter.name.getText(sourceFile);
      const paramDoc = doc.tags.find((tag) => tag.tag === 'param' && tag.name === paramName);
      if (!paramDoc) fail(file, `${name}: @param ${paramName} is missing`);
      return {
        name: paramName,
        optional: Boolean(parameter.questionToken),
        type: typeText(parameter.type, sourceFile),
        doc: paramDoc.text,
        callback: parameter.type && ts.isTypeReferenceNode(parameter.type) &&
          callbackNames.has(parameter.type.typeName.getText(sourceFile))
          ? parameter.type.typeName.getText(sourceFile) : undefined,
      };
    });
    const returns = doc.tags.find((tag) => tag.tag === 'returns');
    const [category, ...moreCategories] = tagged('category');
    if (!doc.text) fail(file, `${name}: the description is missing`);
    if (!returns) fail(file, `${name}: @returns is missing`);
    if (!category || moreCategories.length) fail(file, `${name}: needs exactly one @category`);
    const calls = tagged('calls');
    for (const callback of calls) {
      if (!callbackNames.has(callback)) fail(file, `${name}: @calls ${callback} is not a callback type`);
    }
    const posts = tagged('posts').map((text) => {
      const match = /^"([^"]+)"$/.exec(text);
      if (!match) fail(file, `${name}: @posts needs one quoted name, got ${text}`);
      return match[1];
    });
    return {
      name,
      category,
      summary: doc.text,
      typeParameters: (node.typeParameters || []).map((parameter) => parameter.name.text),
      params,
      returnType: typeText(node.type, sourceFile),
      returns: returns.text,
      callbacks: [...params.filter((param) => param.callback).map((param) => param.callback), ...calls],
      posts,
    };
  });

  const notifications = (interfaceName) => {
    const type = types.find((entry) => entry.name === interfaceName && ts.isInterfaceDeclaration(entry.node));
    if (!type) return [];
    return type.node.members.map((member) => ({
      name: member.name.getText(sourceFile).replace(/^"|"$/g, ''),
      userInfo: typeText(member.type, sourceFile),
      doc: jsDocOf(member).text,
    }));
  };

  return {
    file,
    functions,
    types,
    moduleNotifications: notifications('ModuleNotifications'),
    hostNotifications: notifications('HostNotifications'),
  };
}

// The names a declaration file gives its functions (overloads once), in declaration order.
function declaredFunctionNames(file) {
  return [...new Set(readDeclarations(file).functions.map((fn) => fn.name))];
}

// ---- Markdown

const anchor = (name) => name.toLowerCase().replace(/[^a-z0-9_-]/g, '');
const cell = (text) => (text ? text.replace(/\|/g, '\\|').replace(/\n/g, ' ') : '—');
const code = (text) => `\`${text}\``;

function linker(linkable) {
  return (text) => text.replace(/\{@link\s+([^}\s]+)\s*\}/g, (_, name) =>
    (linkable.has(name) ? `[${code(name)}](#${anchor(name)})` : code(name)));
}

function functionTable(functions, link, withNotifications) {
  const header = ['Function', 'Arguments', 'Result', 'Callbacks'];
  if (withNotifications) header.push('Notifications');
  const rows = [`| ${header.join(' | ')} |`, `|${header.map(() => '---').join('|')}|`];
  for (const fn of functions) {
    const generics = fn.typeParameters.length ? `<${fn.typeParameters.join(', ')}>` : '';
    const signature = `${fn.name}${generics}(${fn.params.map((p) => p.name + (p.optional ? '?' : '')).join(', ')})`;
    const args = fn.params.map((p) => `${code(`${p.name}${p.optional ? '?' : ''}: ${p.type}`)} ${link(p.doc)}`);
    const callbacks = fn.callbacks.map((name) => `[${code(name)}](#${anchor(name)})`);
    const columns = [
      `${code(signature)}<br>${link(fn.summary)}`,
      args.join('<br>'),
      fn.returnType === 'void' ? link(fn.returns) : `${code(fn.returnType)} ${link(fn.returns)}`,
      callbacks.join('<br>'),
    ];
    if (withNotifications) columns.push(fn.posts.map((name) => code(`"${name}"`)).join('<br>'));
    rows.push(`| ${columns.map(cell).join(' | ')} |`);
  }
  return rows.join('\n');
}

function byCategory(functions) {
  const groups = new Map();
  for (const fn of functions) {
    if (!groups.has(fn.category)) groups.set(fn.category, []);
    groups.get(fn.category).push(fn);
  }
  return groups;
}

function typeSection(type, link) {
  const lines = [`### ${type.name}`, ''];
  if (type.doc) lines.push(link(type.doc), '');
  if (type.returns) lines.push(`Result read by the module: ${link(type.returns)}`, '');
  lines.push('```ts', type.text, '```', '');
  return lines;
}

function renderApiDoc() {
  const native = readDeclarations(MODULE_FILE);
  const platform = readDeclarations(PLATFORM_FILE);
  const linkable = new Set([...native.types, ...platform.types].filter((t) => !t.alias).map((t) => t.name));
  const link = linker(linkable);
  const moduleNames = new Set(native.functions.map((fn) => fn.name));

  const notificationNames = new Set(native.moduleNotifications.map((n) => n.name));
  for (const fn of native.functions) {
    for (const name of fn.posts) {
      if (!notificationNames.has(name)) fail(MODULE_FILE, `${fn.name}: @posts "${name}" is not in ModuleNotifications`);
    }
  }

  const out = [
    '# API reference',
    '',
    '<!-- Generated by scripts/gen-api-doc.js from index.d.ts and platform.d.ts; do not edit by hand:',
    '     change the declarations and run `npm run api-doc`. A test fails when this file is stale. -->',
    '',
    '```js',
    "const native = require('velquarin-native');            // the module",
    "const platform = require('velquarin-native/platform'); // the platform binding",
    '```',
    '',
    `The module exports exactly the ${moduleNames.size} functions below, grouped by family. Each checks its`,
    'argument count and types on entry and throws a `TypeError` naming the native function, source file, line',
    'and condition when they do not hold; a call that holds its contract never throws. `JsonText<Shape>` is a',
    'plain string of compact JSON whose parsed value has the named shape (see [Types](#types)). Callbacks are',
    'called on the main thread with a null receiver; an exception a callback throws becomes the process\'s',
    '`uncaughtException`. Notifications are observed with the platform binding\'s `observe`.',
    '',
    '## Module functions',
    '',
  ];
  for (const [category, functions] of byCategory(native.functions)) {
    out.push(`### ${category}`, '', functionTable(functions, link, true), '');
  }

  out.push('## Callbacks', '',
    'Stored callbacks are set by the setter named with them and replaced by the next call; one-shot',
    'callbacks are arguments of the operation that calls them. A result is ignored unless stated.', '');
  for (const type of native.types.filter((t) => t.kind === 'callback')) out.push(...typeSection(type, link));

  const postedBy = (name) => native.functions.filter((fn) => fn.posts.includes(name)).map((fn) => code(fn.name));
  out.push('## Notifications', '',
    'Posted by the module on the process\'s default notification centre; observers receive the name, the',
    'user info below (null for none) and the object (a window\'s handle, else null).', '',
    '| Notification | User info | When | After |', '|---|---|---|---|');
  for (const n of native.moduleNotifications) {
    out.push(`| ${[code(`"${n.name}"`), code(n.userInfo), link(n.doc), postedBy(n.name).join('<br>')].map(cell).join(' | ')} |`);
  }
  out.push('', 'Posted by the host for the module:', '', '| Notification | User info | Meaning |', '|---|---|---|');
  for (const n of native.hostNotifications) {
    out.push(`| ${[code(`"${n.name}"`), code(n.userInfo), link(n.doc)].map(cell).join(' | ')} |`);
  }
  out.push('');

  out.push('## Types', '');
  const shown = (type) => type.kind === 'type' && !type.alias &&
    !['ModuleNotifications', 'HostNotifications'].includes(type.name);
  for (const type of native.types.filter(shown)) out.push(...typeSection(type, link));

  out.push('## Platform binding', '',
    `\`require('velquarin-native/platform')\` exports exactly these ${new Set(platform.functions.map((f) => f.name)).size}`,
    'functions: how a host observes the module\'s notifications and how hosts, tests and demos act as the',
    'desktop around the module. A call with arguments of the wrong type throws a `TypeError`.', '');
  for (const [category, functions] of byCategory(platform.functions)) {
    out.push(`### ${category}`, '', functionTable(functions, link, false), '');
  }
  out.push('### Platform types', '');
  for (const type of platform.types.filter((t) => !t.alias)) {
    out.push(...typeSection(type, link).map((line) => line.replace(/^### /, '#### ')));
  }
  return `${out.join('\n').replace(/\n+$/, '')}\n`;
}

module.exports = { readDeclarations, declaredFunctionNames, renderApiDoc, DOC_FILE, MODULE_FILE, PLATFORM_FILE };

if (require.main === module) {
  const text = renderApiDoc();
  if (process.argv.includes('--check')) {
    const current = fs.existsSync(DOC_FILE) ? fs.readFileSync(DOC_FILE, 'utf8') : '';
    if (current !== text) {
      console.error('docs/API.md is out of date: run `npm run api-doc`');
      process.exit(1);
    }
  } else {
    fs.mkdirSync(path.dirname(DOC_FILE), { recursive: true });
    fs.writeFileSync(DOC_FILE, text);
  }
}
