'use strict';
// generatePreview side by side with its peers, medians of RUNS alternating runs in one process:
//  - a 4000x3000 JPEG previewed at 256 points (scale 1) against sharp's thumbnail to PNG;
//  - the first page of a PDF at 256 against `pdftoppm -png -singlefile -scale-to 256`. Both
//    start a process per page (the module renders PDFs in its helper), so the ratio compares
//    like with like.
// Every run writes a new file: the preview's folder is emptied first, so nothing is reused.
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { execFile } = require('node:child_process');

const buildDir = process.env.VELQUARIN_BUILD_DIR || path.resolve(__dirname, '..', 'build');
const native = require(path.join(buildDir, 'VelquarinNative.node'));
const sharp = require('sharp');
const runs = Number(process.env.RUNS || 15);
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'previews-bench-'));

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const timed = async (fn) => {
  const start = process.hrtime.bigint();
  await fn();
  return Number(process.hrtime.bigint() - start) / 1e6;
};
const preview = (file) => new Promise((resolve, reject) => {
  fs.rmSync(path.join(work, 'out'), { recursive: true, force: true });
  native.generatePreview(file, 256, path.join(work, 'out'), (out) => (out ? resolve(out) : reject(new Error('no preview'))));
});

// A PDF page of many filled shapes, so the rendering is not trivial.
function pdf() {
  const ops = [];
  for (let i = 0; i < 2000; ++i) ops.push(`${(i % 7) / 7} ${(i % 5) / 5} ${(i % 3) / 3} rg ${(i * 37) % 560} ${(i * 53) % 800} 40 30 re f`);
  const stream = ops.join('\n');
  const objects = ['<< /Type /Catalog /Pages 2 0 R >>', '<< /Type /Pages /Kids [3 0 R] /Count 1 >>',
    '<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 842] /Contents 4 0 R >>',
    `<< /Length ${stream.length} >>\nstream\n${stream}\nendstream`];
  let out = '%PDF-1.4\n';
  const offsets = objects.map((body, i) => { const at = out.length; out += `${i + 1} 0 obj\n${body}\nendobj\n`; return at; });
  const xref = out.length;
  out += `xref\n0 5\n0000000000 65535 f \n${offsets.map((o) => `${String(o).padStart(10, '0')} 00000 n \n`).join('')}`;
  return out + `trailer\n<< /Size 5 /Root 1 0 R >>\nstartxref\n${xref}\n%%EOF\n`;
}

async function compare(name, ours, theirs) {
  await ours();
  await theirs();
  const a = [];
  const b = [];
  for (let i = 0; i < runs; ++i) {
    a.push(await timed(ours));
    b.push(await timed(theirs));
  }
  const [m, p] = [median(a), median(b)];
  console.log(`${name}: module ${m.toFixed(1)} ms, peer ${p.toFixed(1)} ms, ratio ${(m / p).toFixed(2)}`);
}

(async () => {
  const jpeg = path.join(work, 'photo.jpg');
  await sharp({ create: { width: 4000, height: 3000, channels: 3, noise: { type: 'gaussian', mean: 128, sigma: 30 } } })
    .jpeg({ quality: 85 }).toFile(jpeg);
  const document = path.join(work, 'page.pdf');
  fs.writeFileSync(document, pdf());
  await compare('JPEG 4000x3000 -> 256 PNG', () => preview(jpeg),
    () => sharp(jpeg).resize(256, 256, { fit: 'inside' }).png().toFile(path.join(work, 'sharp.png')));
  await compare('PDF page -> 256 PNG', () => preview(document), () => new Promise((resolve, reject) =>
    execFile('pdftoppm', ['-png', '-singlefile', '-scale-to', '256', document, path.join(work, 'poppler')],
      (error) => (error ? reject(error) : resolve()))));
  console.log(`load average: ${os.loadavg().map((l) => l.toFixed(2)).join(' ')}`);
  fs.rmSync(work, { recursive: true, force: true });
})();
