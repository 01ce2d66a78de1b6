'use strict';
// recipientsForGroupName over a vCard folder of 5,000 people (one file each, vCard 3.0) and
// 50 group cards of 100 members each, side by side with ical.js (the npm vCard and iCalendar
// parser) reading and parsing the same files and taking out the same fields.
//   cold: the module's call after a card changed (every file read and parsed again);
//   warm: later calls with the folder unchanged (the folder is listed, nothing parsed);
//   ical.js: one pass over the same files.
// Medians of interleaved runs; the figures are cold / ical.js (<= 1 means the module is not
// slower) and warm / cold (< 0.1 is the goal).
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const ICAL = require('ical.js');

const buildDir = process.env.VELQUARIN_BUILD_DIR || path.resolve(__dirname, '..', 'build');
const runs = Number(process.env.RUNS || 5);
const PEOPLE = 5000;
const GROUPS = 50;

const root = fs.mkdtempSync(path.join(fs.existsSync('/dev/shm') ? '/dev/shm' : os.tmpdir(), 'contacts-bench-'));
process.env.XDG_DATA_HOME = path.join(root, 'data');
process.env.XDG_CONFIG_HOME = path.join(root, 'config');
const collection = path.join(root, 'data', 'contacts', 'default');
fs.mkdirSync(collection, { recursive: true });

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const mid = sorted.length >> 1;
  return sorted.length % 2 ? sorted[mid] : (sorted[mid - 1] + sorted[mid]) / 2;
};

function timeMs(work) {
  const start = process.hrtime.bigint();
  work();
  return Number(process.hrtime.bigint() - start) / 1e6;
}

function writeFolder() {
  const files = [];
  for (let i = 0; i < PEOPLE; i++) {
    const file = path.join(collection, `person-${String(i).padStart(5, '0')}.vcf`);
    fs.writeFileSync(file, ['BEGIN:VCARD', 'VERSION:3.0', `UID:person-${i}`,
      `N:Family${i};Given${i};;;`, `FN:Given${i} Family${i}`, 'ORG:Example Ltd.;Sales',
      `EMAIL;TYPE=INTERNET,WORK,pref:given${i}@work.example`,
      `EMAIL;TYPE=INTERNET,HOME:given${i}@home.example`, 'TEL;TYPE=CELL:+1 555 0100',
      'ADR;TYPE=WORK:;;1 Main Street;Springfield;;12345;USA',
      `NOTE:A longer note for card ${i}\\, written as many address books do\\n with a folded`,
      '  second line.', 'END:VCARD', ''].join('\r\n'));
    files.push(file);
  }
  for (let g = 0; g < GROUPS; g++) {
    const members = [];
    for (let i = g; i < PEOPLE; i += GROUPS) members.push(`X-ADDRESSBOOKSERVER-MEMBER:urn:uuid:person-${i}`);
    const file = path.join(collection, `group-${g}.vcf`);
    fs.writeFileSync(file, ['BEGIN:VCARD', 'VERSION:3.0', `UID:group-${g}`,
      'X-ADDRESSBOOKSERVER-KIND:group', `FN:Group ${g}`, ...members, 'END:VCARD', ''].join('\r\n'));
    files.push(file);
  }
  return files;
}

// The same work with ical.js: read, parse, and take out the fields the module uses, then
// resolve the group's members.
function icalPass(files, groupName) {
  const people = new Map();
  const groups = [];
  for (const file of files) {
    const card = new ICAL.Component(ICAL.parse(fs.readFileSync(file, 'utf8')));
    const uid = card.getFirstPropertyValue('uid');
    if (card.getFirstPropertyValue('x-addressbookserver-kind') === 'group') {
      groups.push({ name: card.getFirstPropertyValue('fn'),
        members: card.getAllProperties('x-addressbookserver-member').map((p) => p.getFirstValue()) });
      continue;
    }
    const n = card.getFirstPropertyValue('n') || [];
    people.set(uid, { emails: card.getAllProperties('email').map((p) => p.getFirstValue()),
      name: [n[1], n[0]].filter(Boolean).join(' '), org: card.getFirstPropertyValue('org') });
  }
  const group = groups.find((entry) => entry.name === groupName);
  return group.members.map((m) => people.get(m.replace(/^urn:uuid:/, ''))).filter(Boolean)
    .map((person) => ({ email: person.emails[0], name: person.name }));
}

function main() {
  const native = require(path.join(buildDir, 'VelquarinNative.node'));
  const files = writeFolder();
  const groupName = `Group ${GROUPS - 1}`;
  let expected;
  const first = timeMs(() => { expected = JSON.parse(native.recipientsForGroupName(groupName)); });
  const peer = icalPass(files, groupName);
  if (expected.length !== PEOPLE / GROUPS || JSON.stringify(expected) !== JSON.stringify(peer)) {
    throw new Error(`the module and ical.js disagree: ${JSON.stringify(expected[0])} ${JSON.stringify(peer[0])} ${expected.length} ${peer.length}`);
  }
  const cold = [];
  const warm = [];
  const ical = [];
  for (let run = 0; run < runs; run++) {
    const touched = new Date(Date.now() + run * 1000);
    fs.utimesSync(files[run], touched, touched); // one changed card: the folder is read again
    cold.push(timeMs(() => native.recipientsForGroupName(groupName)));
    for (let i = 0; i < 10; i++) warm.push(timeMs(() => native.recipientsForGroupName(groupName)));
    ical.push(timeMs(() => icalPass(files, groupName)));
  }
  const [c, w, p] = [median(cold), median(warm), median(ical)];
  console.log(`files ${files.length}, runs ${runs}, load ${os.loadavg().map((x) => x.toFixed(2)).join(' ')}`);
  console.log(`module first  ${first.toFixed(1)} ms`);
  console.log(`module cold   ${c.toFixed(1)} ms`);
  console.log(`module warm   ${w.toFixed(2)} ms   warm / cold ${(w / c).toFixed(5)}`);
  console.log(`ical.js pass  ${p.toFixed(1)} ms   cold / ical.js ${(c / p).toFixed(2)}`);
  fs.rmSync(root, { recursive: true, force: true });
}

main();
