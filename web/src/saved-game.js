// The game in progress, kept in localStorage under "torlo-current" so that
// a reload or a closed tab brings it back. The page decides what the state
// holds (play.js); this module only refuses what it cannot use: no
// storage, storage that throws (private mode, a full quota), contents that
// are not a saved game of this version.
export const CURRENT_KEY = 'torlo-current';
export const STATE_VERSION = 1;

const storageOf = (storage) => {
  try {
    return storage === undefined ? globalThis.localStorage : storage;
  } catch {
    return null;  // reading localStorage itself can throw where storage is refused
  }
};

// True when kept; false (never a throw) when the browser refused.
export function saveCurrent(state, storage) {
  try {
    storageOf(storage).setItem(CURRENT_KEY, JSON.stringify(state));
    return true;
  } catch {
    return false;
  }
}

export function loadCurrent(storage) {
  try {
    const state = JSON.parse(storageOf(storage).getItem(CURRENT_KEY));
    const usable = state && typeof state === 'object' && state.version === STATE_VERSION
      && Array.isArray(state.moves) && state.moves.every((m) => typeof m === 'string');
    return usable ? state : null;
  } catch {
    return null;
  }
}

export function clearCurrent(storage) {
  try {
    storageOf(storage).removeItem(CURRENT_KEY);
  } catch {}  // nothing kept, nothing to clear
}

// A reporter that passes on only its first message: a storage problem is
// told once, and the game goes on.
export function reportOnce(report) {
  let told = false;
  return (message) => {
    if (told) return;
    told = true;
    report(message);
  };
}
