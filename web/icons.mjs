// The app icons, drawn here rather than kept as binary files: a pawn in
// front of a 4 x 4 corner of the board, in the board's colours, written as
// PNG (RGBA, one zlib stream) at any size. node icons.mjs SIZE FILE writes one.
import { writeFileSync } from 'node:fs';
import { deflateSync } from 'node:zlib';

const LIGHT = [0xf0, 0xd9, 0xb5];
const DARK = [0xb5, 0x88, 0x63];
const FRAME = [0x2b, 0x2b, 0x2b];
const PAWN = [0x1e, 0x1e, 0x1e];

// The colour at (x, y) in a unit square, y pointing down.
function colourAt(x, y) {
  // The pawn: a head, a tapering body and a base, centred.
  const dx = x - 0.5;
  const head = dx * dx + (y - 0.33) ** 2 < 0.11 ** 2;
  const bodyHalfWidth = 0.07 + (y - 0.42) * 0.45;
  const body = y > 0.42 && y < 0.72 && Math.abs(dx) < bodyHalfWidth;
  const base = y >= 0.72 && y < 0.8 && Math.abs(dx) < 0.24;
  if (head || body || base) return PAWN;
  // The board: 4 x 4 squares inside a frame of a tenth of the side.
  if (x < 0.1 || x >= 0.9 || y < 0.1 || y >= 0.9) return FRAME;
  const file = Math.floor((x - 0.1) / 0.2);
  const rank = Math.floor((y - 0.1) / 0.2);
  return (file + rank) % 2 === 0 ? LIGHT : DARK;
}

const CRC_TABLE = Array.from({ length: 256 }, (_, n) => {
  let c = n;
  for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
  return c >>> 0;
});

function crc32(bytes) {
  let c = 0xffffffff;
  for (const b of bytes) c = CRC_TABLE[(c ^ b) & 0xff] ^ (c >>> 8);
  return (c ^ 0xffffffff) >>> 0;
}

function chunk(type, data) {
  const out = Buffer.alloc(12 + data.length);
  out.writeUInt32BE(data.length, 0);
  out.write(type, 4, 'latin1');
  data.copy(out, 8);
  out.writeUInt32BE(crc32(out.subarray(4, 8 + data.length)), 8 + data.length);
  return out;
}

// A PNG of size x size pixels, four samples of 4 x 4 per pixel smoothing the edges.
export function iconPng(size) {
  const rows = Buffer.alloc(size * (1 + size * 4));
  for (let py = 0; py < size; py++) {
    const row = py * (1 + size * 4);  // each row starts with filter type 0
    for (let px = 0; px < size; px++) {
      const sum = [0, 0, 0];
      for (let s = 0; s < 16; s++) {
        const c = colourAt((px + ((s % 4) + 0.5) / 4) / size, (py + (Math.floor(s / 4) + 0.5) / 4) / size);
        for (let i = 0; i < 3; i++) sum[i] += c[i];
      }
      const at = row + 1 + px * 4;
      for (let i = 0; i < 3; i++) rows[at + i] = Math.round(sum[i] / 16);
      rows[at + 3] = 255;
    }
  }
  const header = Buffer.alloc(13);
  header.writeUInt32BE(size, 0);
  header.writeUInt32BE(size, 4);
  header.set([8, 6, 0, 0, 0], 8);  // 8 bits, RGBA, deflate, no filter method, no interlace
  return Buffer.concat([Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]), chunk('IHDR', header),
    chunk('IDAT', deflateSync(rows)), chunk('IEND', Buffer.alloc(0))]);
}

if (process.argv[1] && process.argv[1].endsWith('icons.mjs') && process.argv.length === 4) {
  writeFileSync(process.argv[3], iconPng(Number(process.argv[2])));
}
