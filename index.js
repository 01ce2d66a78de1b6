'use strict';
// The package entry: the module's add-on itself, so the exports are exactly its functions.
module.exports = require(require('./common/node/addon-path').addonPath('VelquarinNative'));
