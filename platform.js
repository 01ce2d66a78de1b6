'use strict';
// The platform binding: how a host observes the module's notifications and acts as the desktop.
module.exports = require(require('./common/node/addon-path').addonPath('VelquarinPlatform'));
