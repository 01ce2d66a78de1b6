'use strict';
// Writes previous-version stores of a chosen size in the object-graph XML layout: accounts
// with bookmarks (stored in reverse order), and workspaces of tabs. Used by the migration
// benchmark and the suite.
const fs = require('node:fs');
const path = require('node:path');

const escape = (text) => text.replace(/&/g, '&amp;').replace(/</g, '&lt;');

function accountsXml({ accounts, bookmarks }) {
  const parts = ['<?xml version="1.0" standalone="yes"?>\n<database>\n    <databaseInfo>\n'
    + '        <version>134481920</version>\n        <UUID>5D1C0B2A-0000-4000-8000-000000000001</UUID>\n'
    + `        <nextObjectID>${accounts * (bookmarks + 1) + 2}</nextObjectID>\n`
    + '        <metadata><plist version="1.0"><dict/></plist></metadata>\n    </databaseInfo>\n'];
  let id = 1;
  for (let a = accounts - 1; a >= 0; a--) {
    const accountId = `z${id++}`;
    const refs = [];
    const marks = [];
    for (let b = bookmarks; b >= 1; b--) {
      const bookmarkId = `z${id++}`;
      refs.push(bookmarkId);
      marks.push(`    <object type="BOOKMARK" id="${bookmarkId}">\n`
        + `        <attribute name="order" type="int64">${b * 10}</attribute>\n`
        + `        <attribute name="title" type="string">${escape(`Bookmark ${b} of account ${a} & co`)}</attribute>\n`
        + `        <attribute name="url" type="string">https://mail.example.com/mail/u/${a}/#label/folder-${b}</attribute>\n`
        + `        <relationship name="account" type="1/1" destination="ACCOUNT" idrefs="${accountId}"></relationship>\n`
        + '    </object>\n');
    }
    parts.push(`    <object type="ACCOUNT" id="${accountId}">\n`
      + `        <attribute name="order" type="int16">${a}</attribute>\n`
      + `        <attribute name="username" type="string">user${a}@example.com</attribute>\n`
      + `        <attribute name="nickname" type="string">User ${a}</attribute>\n`
      + '        <attribute name="autoauthenticate" type="bool">1</attribute>\n'
      + '        <attribute name="notificationusegrowl" type="int16">1</attribute>\n'
      + '        <attribute name="notificationsound" type="string">Glass</attribute>\n'
      + `        <attribute name="isgmailchatblocked" type="bool">${a % 2}</attribute>\n`
      + `        <relationship name="bookmarks" type="0/0" destination="BOOKMARK" idrefs="${refs.join(' ')}"></relationship>\n`
      + '        <relationship name="downloaditems" type="0/0" destination="DOWNLOADITEM"></relationship>\n'
      + '    </object>\n', ...marks);
  }
  parts.push('</database>\n');
  return parts.join('');
}

function workspacesXml({ accounts, workspaces, tabs }) {
  const apps = ['Gmail', 'GoogleInbox', 'Calendar', 'Contacts'];
  const parts = ['<?xml version="1.0" standalone="yes"?>\n<database>\n    <databaseInfo>\n'
    + '        <version>134481920</version>\n        <UUID>5D1C0B2A-0000-4000-8000-000000000002</UUID>\n'
    + `        <nextObjectID>${workspaces * (tabs + 1) + 2}</nextObjectID>\n    </databaseInfo>\n`];
  let id = 1;
  for (let w = 0; w < workspaces; w++) {
    const stateId = `z${id++}`;
    const refs = [];
    const states = [];
    for (let t = 0; t < tabs; t++) {
      const tabId = `z${id++}`;
      refs.push(tabId);
      const account = (w * tabs + t) % Math.max(accounts, 1);
      states.push(`    <object type="GOOGLEAPPSTATE" id="${tabId}">\n`
        + `        <attribute name="identifier" type="string">Zq_${apps[t % 4]}_user${account}@example.com</attribute>\n`
        + `        <attribute name="url" type="string">https://mail.example.com/mail/u/${account}/</attribute>\n`
        + `        <relationship name="workspacestate" type="1/1" destination="WORKSPACESTATE" idrefs="${stateId}"></relationship>\n`
        + '    </object>\n');
    }
    parts.push(`    <object type="WORKSPACESTATE" id="${stateId}">\n`
      + `        <attribute name="lastupdatedat" type="date">${700000000 + w * 3600}</attribute>\n`
      + `        <attribute name="active" type="bool">${w === workspaces - 1 ? 1 : 0}</attribute>\n`
      + `        <relationship name="appstates" type="0/0" destination="GOOGLEAPPSTATE" idrefs="${refs.join(' ')}"></relationship>\n`
      + '    </object>\n', ...states);
  }
  parts.push('</database>\n');
  return parts.join('');
}

function writeStores(folder, sizes) {
  fs.mkdirSync(folder, { recursive: true });
  const accounts = path.join(folder, 'Accounts.xml');
  const workspaces = path.join(folder, 'WorkspaceStates.xml');
  fs.writeFileSync(accounts, accountsXml(sizes));
  fs.writeFileSync(workspaces, workspacesXml(sizes));
  return { accounts, workspaces };
}

module.exports = { writeStores };
