'use strict';
// A script in another program (gdbus on the session bus) makes a visible outgoing message;
// a second later the module hands it to the host, which prints the JSON it got.
const { execFile } = require('node:child_process');

// Asynchronously: this loop must stay free to answer the call.
const gdbus = (...args) => new Promise((resolve) => execFile('gdbus', args,
  (error, stdout, stderr) => resolve(error ? `failed: ${stderr.trim() || error.message}` : stdout.trim())));

module.exports = {
  title: 'Scripting on the session bus',
  async run({ native, platform, say }) {
    const names = platform.scriptingBusNames();
    if (!names.unique) {
      say('no session bus: the scripting model works in-process only');
      return;
    }
    const composed = new Promise((resolve) => {
      native.setComposeOutgoingMessageCallbackFunction((message, options) => {
        say(`the host is asked to compose: ${message}`);
        say(`  with the options ${options}`);
        resolve();
      });
    });
    const dest = names.wellKnown || names.unique;
    say(`gdbus calls MakeOutgoingMessage on ${dest} ${names.path}`);
    const reply = await gdbus('call', '--session', '--dest', dest, '--object-path', names.path,
      '--method', 'io.velquarin.Scripting1.Application.MakeOutgoingMessage',
      "{'Subject': <'Lunch on Friday?'>, 'Content': <'Shall we try the new place?'>, " +
      "'ToRecipients': <[('Ann Ried', 'ann@example.com')]>, 'Visible': <true>}");
    say(`gdbus got ${reply}`);
    if (reply.startsWith('failed')) return;
    // The delayed compose does not hold the loop open by itself; the demo waits for it.
    const hold = setTimeout(() => {}, 5000);
    await composed;
    clearTimeout(hold);
  },
};
