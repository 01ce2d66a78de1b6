'use strict';
// getMigrationInfo(null) on a generated previous-version store (1,000 accounts with 50
// bookmarks each, 200 workspaces of 20 tabs), side by side with the same mapping done in
// JavaScript with fast-xml-parser and JSON.stringify. Runs alternate; medians and their ratio
// are the figures. Peak memory is measured in fresh child processes (growth of the maximum
// resident set over the loaded baseline), against the size of the two store files.
// No session bus: the password look-ups fail at once, so the figures are the stores' work.
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { spawnSync } = require('node:child_process');
const { writeStores } = require('./migration-fixture');

const root = path.resolve(__dirname, '..');
const buildDir = process.env.VELQUARIN_BUILD_DIR || path.join(root, 'build');
const RUNS = Number(process.env.RUNS || 5);
const SIZES = { accounts: 1000, bookmarks: 50, workspaces: 200, tabs: 20 };

const APP_PREFIXES = [['Zq_Gmail', 'Gmail'], ['Zq_GoogleInbox', 'GoogleInbox'],
  ['Zq_Calendar', 'Calendar'], ['Zq_Contacts', 'Contacts']];

// The peer: the same document from the same files, in JavaScript.
function peerMigrationInfo(folder) {
  const { XMLParser } = require('fast-xml-parser');
  const parser = new XMLParser({
    ignoreAttributes: false, attributeNamePrefix: '', processEntities: true,
    parseTagValue: false, isArray: (name) => name === 'object' || name === 'attribute' || name === 'relationship',
  });
  const load = (file) => {
    const objects = new Map();
    const doc = parser.parse(fs.readFileSync(path.join(folder, file), 'utf8'));
    for (const object of doc.database.object ?? []) {
      const values = {};
      for (const a of object.attribute ?? []) {
        const text = a['#text'] ?? '';
        values[a.name] = a.type === 'string' ? text : a.type === 'bool' ? text === '1' : Number(text);
      }
      const links = {};
      for (const r of object.relationship ?? []) links[r.name] = r.idrefs ? r.idrefs.split(' ') : [];
      objects.set(object.id, { type: object.type, values, links });
    }
    return objects;
  };
  const accountsStore = load('Accounts.xml');
  const accounts = [...accountsStore.values()].filter((o) => o.type === 'ACCOUNT');
  accounts.sort((a, b) => (a.values.order - b.values.order)
    || (a.values.username < b.values.username ? -1 : a.values.username > b.values.username ? 1 : 0));
  const v = (o, k) => (o.values[k] ?? null);
  const flag = (o, k, d) => (o.values[k] === undefined ? d : Boolean(o.values[k]));
  const records = accounts.map((o) => ({
    order: v(o, 'order'), username: v(o, 'username'), nickname: v(o, 'nickname'), password: null,
    detectUnreadCountType: v(o, 'detectunreadcounttype'), defaultInboxType: v(o, 'defaultinboxtype'),
    customInboxLabelName: v(o, 'custominboxlabelname'), isNotificationEnabled: v(o, 'autoauthenticate'),
    unreadMessagesLocation: v(o, 'unreadmessageslocation'), autoBCC: v(o, 'autobcc'),
    notificationSound: v(o, 'notificationsound'), isNotifyNewMessages: v(o, 'notificationusegrowl'),
    loadRapportivePlugin: v(o, 'loadrapportiveplugin'), loadClearbitConnectPlugin: v(o, 'loadclearbitconnectplugin'),
    loadBoomerangPlugin: v(o, 'loadboomerangplugin'), loadStreakPlugin: v(o, 'loadstreakplugin'),
    loadRightInboxPlugin: v(o, 'loadrightinboxplugin'),
    isGmailChatBlockedAsBOOL: flag(o, 'isgmailchatblocked', false),
    isGooglePlusBlockedAsBOOL: flag(o, 'isgoogleplusblocked', false),
    isGoogleDriveBlockedAsBOOL: flag(o, 'isgoogledriveblocked', true),
    isGoogleCalendarAlertsBlockedAsBOOL: flag(o, 'isgooglecalendaralertsblocked', false),
    numberOfDownloadItems: (o.links.downloaditems ?? []).length,
    bookmarks: (o.links.bookmarks ?? []).map((id) => accountsStore.get(id))
      .sort((a, b) => a.values.order - b.values.order)
      .map((b) => ({ order: v(b, 'order'), title: v(b, 'title'), url: v(b, 'url') })),
  }));
  const statesStore = load('WorkspaceStates.xml');
  const workspaces = [...statesStore.values()].filter((o) => o.type === 'WORKSPACESTATE')
    .sort((a, b) => b.values.lastupdatedat - a.values.lastupdatedat)
    .map((s) => ({
      'active?': Boolean(s.values.active),
      tabs: (s.links.appstates ?? []).map((id) => {
        const identifier = statesStore.get(id).values.identifier;
        const [prefix, app] = APP_PREFIXES.find(([p]) => identifier.startsWith(p));
        return { email: identifier.slice(prefix.length + 1), app };
      }),
    }));
  return JSON.stringify({ 'has-previous-version?': true, accounts: records, workspaces, prefs: {} });
}

function child() {
  const [, , , side, folder] = process.argv;
  const run = side === 'module'
    ? (() => { const native = require(path.join(buildDir, 'VelquarinNative.node')); return () => native.getMigrationInfo(null); })()
    : (() => { require('fast-xml-parser'); return () => peerMigrationInfo(folder); })();
  global.gc?.();
  const baseline = process.memoryUsage().rss;
  const start = process.hrtime.bigint();
  const text = run();
  const ms = Number(process.hrtime.bigint() - start) / 1e6;
  const peak = process.resourceUsage().maxRSS * 1024;
  process.stdout.write(JSON.stringify({ ms, growth: peak - baseline, length: text.length }));
}

if (process.argv[2] === '--child') {
  child();
} else {
  const home = fs.mkdtempSync(path.join(os.tmpdir(), 'zq-migration-bench-'));
  const folder = path.join(home, '.config', 'Velquarin 3');
  const files = writeStores(folder, SIZES);
  const fileBytes = fs.statSync(files.accounts).size + fs.statSync(files.workspaces).size;
  const env = { ...process.env, HOME: home, XDG_CONFIG_HOME: path.join(home, '.config'),
    DBUS_SESSION_BUS_ADDRESS: `unix:path=${path.join(home, 'no-bus')}` };
  const runOnce = (side) => {
    const result = spawnSync(process.execPath, ['--expose-gc', __filename, '--child', side, folder],
      { env, encoding: 'utf8', maxBuffer: 1 << 20 });
    if (result.status !== 0) throw new Error(`${side} failed: ${result.stderr.slice(-2000)}`);
    return JSON.parse(result.stdout);
  };
  const results = { module: [], peer: [] };
  for (let i = 0; i < RUNS; i++) {
    const order = i % 2 ? ['peer', 'module'] : ['module', 'peer'];
    for (const side of order) results[side].push(runOnce(side));
  }
  const median = (values) => {
    const sorted = [...values].sort((a, b) => a - b);
    const mid = sorted.length >> 1;
    return sorted.length % 2 ? sorted[mid] : (sorted[mid - 1] + sorted[mid]) / 2;
  };
  const mb = (bytes) => (bytes / 1048576).toFixed(1);
  const summary = {};
  for (const side of ['module', 'peer']) {
    summary[side] = { ms: median(results[side].map((r) => r.ms)), growth: median(results[side].map((r) => r.growth)) };
  }
  if (results.module[0].length !== results.peer[0].length) {
    console.log(`note: document lengths differ (module ${results.module[0].length}, peer ${results.peer[0].length})`);
  }
  console.log(`stores: ${mb(fileBytes)} MB; ${RUNS} runs each, alternating; load average ${os.loadavg().map((l) => l.toFixed(2)).join(' ')}`);
  console.log(`module getMigrationInfo(null): median ${summary.module.ms.toFixed(0)} ms, peak growth ${mb(summary.module.growth)} MB`);
  console.log(`fast-xml-parser + JSON.stringify: median ${summary.peer.ms.toFixed(0)} ms, peak growth ${mb(summary.peer.growth)} MB`);
  console.log(`time ratio module/peer: ${(summary.module.ms / summary.peer.ms).toFixed(2)} (target <= 0.5)`);
  console.log(`module peak growth / file size: ${(summary.module.growth / fileBytes).toFixed(2)} (target <= 3)`);
  fs.rmSync(home, { recursive: true, force: true });
}
