'use strict';
// Where the add-ons are: a build folder made from source (the repository's, or the one the
// install script made), else the prebuilt folder for this platform and architecture.
const fs = require('node:fs');
const path = require('node:path');

const root = path.resolve(__dirname, '..', '..');

// Prebuilt binaries are made on glibc; musl systems build from source.
function prebuiltFolder() {
  if (process.platform !== 'linux') return null;
  const header = process.report && process.report.getReport().header;
  if (!header || !header.glibcVersionRuntime) return null;
  return path.join(root, 'prebuilds', `${process.platform}-${process.arch}`);
}

function addonPath(name) {
  const built = path.join(root, 'build', `${name}.node`);
  if (fs.existsSync(built)) return built;
  const folder = prebuiltFolder();
  const prebuilt = folder && path.join(folder, `${name}.node`);
  if (prebuilt && fs.existsSync(prebuilt)) return prebuilt;
  throw new Error(`velquarin-native: ${name}.node is neither built (${built}) nor prebuilt for ` +
    `${process.platform}-${process.arch}; run "npm rebuild velquarin-native"`);
}

module.exports = { root, prebuiltFolder, addonPath };
