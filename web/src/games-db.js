// The finished games, kept in the browser's IndexedDB (database "torlo",
// store "games"): added as they end, listed newest first, opened, deleted,
// and exported together as one PGN file. A record:
//   { id, date (ISO, when the game ended), white, black, colour (the user's),
//     level (the engine's Elo, null for full strength), result, termination,
//     timeControl (text), pgn, plies }
// Every failure rejects with an Error whose message is a sentence for the
// user (storage unavailable, as in private mode; storage full).
const DB = 'torlo';
const STORE = 'games';

const UNAVAILABLE = 'This browser does not keep games (storage is unavailable).';
const failure = (error) => new Error(error?.name === 'QuotaExceededError'
  ? 'The game could not be kept: the browser\'s storage is full.' : UNAVAILABLE);

// One IndexedDB request as a promise.
const done = (request) => new Promise((resolve, reject) => {
  request.onsuccess = () => resolve(request.result);
  request.onerror = () => reject(failure(request.error));
});

export async function openGames(indexedDB = globalThis.indexedDB) {
  if (!indexedDB) throw new Error(UNAVAILABLE);
  let db;
  try {
    const request = indexedDB.open(DB, 1);
    request.onupgradeneeded = () => request.result.createObjectStore(STORE, { keyPath: 'id', autoIncrement: true })
      .createIndex('date', 'date');
    request.onblocked = () => request.onerror?.();
    db = await done(request);
  } catch (error) {
    throw error instanceof Error && error.message === UNAVAILABLE ? error : failure(error);
  }
  // A transaction's request; a write also waits for the transaction to commit
  // (a full quota shows there).
  const run = (mode, action) => {
    const transaction = db.transaction(STORE, mode);
    const result = done(action(transaction.objectStore(STORE)));
    const committed = new Promise((resolve, reject) => {
      transaction.oncomplete = resolve;
      transaction.onabort = () => reject(failure(transaction.error));
    });
    return Promise.all([result, committed]).then(([value]) => value);
  };
  return {
    add: (record) => run('readwrite', (store) => store.add(record)),
    get: (id) => run('readonly', (store) => store.get(id)),
    remove: (id) => run('readwrite', (store) => store.delete(id)),
    clear: () => run('readwrite', (store) => store.clear()),
    list: async () => (await run('readonly', (store) => store.getAll()))
      .sort((a, b) => (a.date === b.date ? b.id - a.id : a.date < b.date ? 1 : -1)),
  };
}

// All games in one PGN text, oldest first, a blank line between games.
export const exportPgn = (records) => [...records]
  .sort((a, b) => (a.date === b.date ? a.id - b.id : a.date < b.date ? -1 : 1))
  .map((r) => `${r.pgn.trim()}\n`).join('\n');

export function downloadText(filename, text, doc = document) {
  const url = URL.createObjectURL(new Blob([text], { type: 'application/x-chess-pgn' }));
  const link = Object.assign(doc.createElement('a'), { href: url, download: filename });
  doc.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 0);
}
