// Keeping games: the games list in a real IndexedDB implementation
// (fake-indexeddb, in memory), its export read back by chess.js, the game
// in progress in a storage that refuses or holds rubbish, and PGN import.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { Chess } from 'chess.js';
import { IDBFactory } from 'fake-indexeddb';
import { exportPgn, openGames } from '../src/games-db.js';
import { loadCurrent, reportOnce, saveCurrent } from '../src/saved-game.js';
import { readPgn } from '../src/pgn-import.js';

const record = (date, moves, result) => {
  const game = new Chess();
  for (const san of moves) game.move(san);
  game.setHeader('Result', result);
  return { date, white: 'You', black: 'TORLO 1200', colour: 'white', level: 1200, result, termination: 'resignation',
    timeControl: '3+2', pgn: game.pgn(), plies: moves.length };
};

test('games: listed newest first, kept across openings, removed; all exported as one PGN, oldest first', async () => {
  const factory = new IDBFactory();
  const db = await openGames(factory);
  const ids = [];
  ids.push(await db.add(record('2026-12-02T10:00:00.000Z', ['e4', 'e5', 'Qh5'], '1-0')));
  ids.push(await db.add(record('2026-12-09T10:00:00.000Z', ['d4', 'd5'], '0-1')));
  ids.push(await db.add(record('2026-12-05T10:00:00.000Z', ['c4'], '1/2-1/2')));
  const again = await openGames(factory);
  assert.deepEqual((await again.list()).map((r) => r.result), ['0-1', '1/2-1/2', '1-0'], 'newest first, after reopening');
  assert.equal((await again.get(ids[0])).plies, 3);
  await again.remove(ids[2]);
  const left = await again.list();
  assert.deepEqual(left.map((r) => r.id), [ids[1], ids[0]]);

  const games = exportPgn(left).split(/\n\n(?=\[Event)/);
  assert.equal(games.length, 2);
  const read = games.map((pgn) => { const g = new Chess(); g.loadPgn(pgn); return [g.history().join(' '), g.getHeaders().Result]; });
  assert.deepEqual(read, [['e4 e5 Qh5', '1-0'], ['d4 d5', '0-1']]);
});

test('games: a browser that refuses storage gets a sentence, not an exception from deep inside', async () => {
  await assert.rejects(openGames(undefined), /does not keep games/);
  const refusing = { open: () => { const request = {}; setTimeout(() => request.onerror?.()); return request; } };
  await assert.rejects(openGames(refusing), /does not keep games/);
});

test('the game in progress: kept and read back; refused storage and rubbish are not errors', () => {
  const map = new Map();
  const storage = { getItem: (k) => map.get(k) ?? null, setItem: (k, v) => map.set(k, v), removeItem: (k) => map.delete(k) };
  const state = { version: 1, start: null, moves: ['e2e4', 'c7c5'], clock: { left: { w: 1, b: 2 } } };
  assert.equal(saveCurrent(state, storage), true);
  assert.deepEqual(loadCurrent(storage), state);
  for (const rubbish of ['{', '[]', '{"version":1,"moves":"e2e4"}', '{"version":1,"moves":[1]}', '{"version":0,"moves":[]}']) {
    map.set('torlo-current', rubbish);
    assert.equal(loadCurrent(storage), null, rubbish);
  }
  const full = { setItem: () => { throw new DOMException('full', 'QuotaExceededError'); }, getItem: () => { throw new Error('denied'); } };
  assert.equal(saveCurrent(state, full), false);
  assert.equal(loadCurrent(full), null);
  assert.equal(saveCurrent(state, null), false);
  const told = [];
  const report = reportOnce((m) => told.push(m));
  report('first');
  report('second');
  assert.deepEqual(told, ['first']);
});

test('PGN import: games with tags, a start position, Windows line ends or company; what is not a game', () => {
  const game = readPgn('\r\n[White "Ann"]\r\n[Black "Bo"]\r\n\r\n1. e4 e5 2. Nf3 {a comment} Nc6 1-0\r\n\r\n').game;
  assert.deepEqual([game.history().join(' '), game.getHeaders().White], ['e4 e5 Nf3 Nc6', 'Ann']);
  const fen = '4k3/8/8/8/8/8/4P3/4K3 w - - 0 1';
  assert.equal(readPgn(`[SetUp "1"]\n[FEN "${fen}"]\n\n1. e4 *`).game.history()[0], 'e4');
  const two = readPgn('[Event "a"]\n\n1. d4 d5 *\n\n[Event "b"]\n\n1. c4 *\n');
  assert.deepEqual([two.game.history().join(' '), two.note], ['d4 d5', 'The text holds 2 games: the first one is opened.']);
  for (const [text, message] of [['', /^Nothing to import/], ['Dear diary, I played chess.', /^Not a game: the text could not be read/],
    ['1. e4 e5 2. Ke3 *', /^Not a game: Invalid move in PGN: Ke3/], ['[White "A"]\n\n*', /^Not a game: no moves/]]) {
    assert.match(readPgn(text).error, message, JSON.stringify(text));
  }
});
