'use strict';
// The check that no password or other host-supplied secret reaches a log file. Every test
// file that hands the module a secret calls guardSecrets([...]) once; after its tests it
// scans every log file of the test sandbox (its own process's lines flushed first, child
// processes flush when they exit). See docs/Logging.md.
const fs = require('node:fs');
const path = require('node:path');
const test = require('node:test');
const assert = require('node:assert/strict');
const { loadPlatform } = require('./support');

// The root the test run writes into (scripts/run-tests.sh); without it, only this
// process's own log folder is scanned, never the real home.
function sandboxRoot() {
  return process.env.VELQUARIN_TEST_SANDBOX || null;
}

// Every *.log file in a folder named Logs below `root` (children may use their own HOME or
// XDG folders inside the sandbox).
function logFiles(root = sandboxRoot()) {
  const found = [];
  const walk = (folder, depth) => {
    let entries;
    try {
      entries = fs.readdirSync(folder, { withFileTypes: true });
    } catch {
      return;
    }
    for (const entry of entries) {
      const full = path.join(folder, entry.name);
      if (entry.isDirectory() && depth < 12) walk(full, depth + 1);
      else if (entry.isFile() && entry.name.endsWith('.log') && path.basename(folder) === 'Logs') {
        found.push(full);
      }
    }
  };
  if (root) {
    walk(root, 0);
  } else {
    const own = loadPlatform().logFolder();
    if (own) walk(own, 0);
  }
  return found.sort();
}

// The forms a secret could take in a line: as given, escaped as in JSON, URL-encoded, base64.
function formsOf(secret) {
  return [
    secret,
    JSON.stringify(secret).slice(1, -1),
    encodeURIComponent(secret),
    Buffer.from(secret, 'utf8').toString('base64'),
  ].filter((form, index, all) => all.indexOf(form) === index);
}

// Throws when any form of any secret is in any log file. The message names the file and
// line, never the secret.
function assertNoSecretsInLogs(secrets, { root = sandboxRoot(), flush = true } = {}) {
  assert.ok(Array.isArray(secrets), 'secrets must be an array of strings');
  for (const secret of secrets) {
    assert.ok(typeof secret === 'string' && secret.length >= 4,
      'each secret must be a string of at least 4 characters (shorter ones match by chance)');
  }
  if (flush) loadPlatform().flushLogs();
  const files = logFiles(root);
  for (const file of files) {
    const lines = fs.readFileSync(file, 'utf8').split('\n');
    secrets.forEach((secret, which) => {
      for (const form of formsOf(secret)) {
        const line = lines.findIndex((text) => text.includes(form));
        if (line >= 0) {
          assert.fail(`secret #${which + 1} (${secret.length} characters) is in ${file}, line ${line + 1}`);
        }
      }
    });
  }
  return files.length;
}

// Registers the check to run after the calling test file's tests.
function guardSecrets(secrets) {
  test.after(() => {
    assertNoSecretsInLogs(secrets);
  });
}

module.exports = { logFiles, assertNoSecretsInLogs, guardSecrets, sandboxRoot };
