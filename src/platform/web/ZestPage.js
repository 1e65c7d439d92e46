// Runs inside the program's module before main(): mounts the settings folder from IndexedDB, fetches
// the data archive with progress for the page, and fetches a demo named by the page. main() starts once
// all of it is there. The page (web/index.html) passes its callbacks as Module.zestPage:
//   progress(loaded, total)   bytes of main.pak so far (total 0 while unknown)
//   fail(text)                the game cannot start: a clear reason for the player
//   message(title, text, error), ended()
//   demoEnded(updates, draws, stopReason)   a demo's replay ended (stopReason empty: played to its end)
// and the files as Module.zestDataUrl (default "main.pak") and Module.zestDemoUrl (none by default).

// The files are requested at once, while the WebAssembly code downloads and compiles, not after it:
// main() waits for them either way, but the page reaches its title sooner.
var zestFetches = (function () {
  var page = Module['zestPage'] || {};
  function fetchFile(url, name, what, onProgress) {
    var file = {name: name, bytes: null, waiting: null};
    file.whenDone = function (callback) {
      if (file.bytes) callback(file.bytes);
      else file.waiting = callback;
    };
    var request = new XMLHttpRequest();
    request.open('GET', url, true);
    request.responseType = 'arraybuffer';
    request.onprogress = function (event) {
      if (onProgress) onProgress(event.loaded, event.lengthComputable ? event.total : 0);
    };
    request.onload = function () {
      if (request.status !== 200 && request.status !== 0) {
        page.fail && page.fail('The ' + what + ' could not be loaded (' + url + ': HTTP ' + request.status + ' ' +
                               request.statusText + ').');
        return;
      }
      file.bytes = new Uint8Array(request.response);
      if (onProgress) onProgress(file.bytes.length, file.bytes.length);
      if (file.waiting) file.waiting(file.bytes);
    };
    request.onerror = function () {
      page.fail && page.fail('The ' + what + ' could not be loaded (' + url + '): the connection failed.');
    };
    request.send();
    return file;
  }
  var fetches = [fetchFile(Module['zestDataUrl'] || 'main.pak', 'main.pak', 'game data', page.progress)];
  if (Module['zestDemoUrl']) fetches.push(fetchFile(Module['zestDemoUrl'], 'demo.dmo', 'demo', null));
  return fetches;
})();

Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function () {
  var page = Module['zestPage'] || {};
  // Settings and progress persist in IndexedDB; the sound cache and data stay in memory.
  ENV['XDG_CONFIG_HOME'] = '/persist/config';
  ENV['XDG_DATA_HOME'] = '/persist/data';
  ENV['XDG_CACHE_HOME'] = '/cache';
  FS.mkdir('/persist');
  FS.mkdir('/cache');
  FS.mount(IDBFS, {}, '/persist');
  addRunDependency('zest-persist');
  FS.syncfs(true, function (error) {
    // No IndexedDB (a private window may refuse it): the game runs and forgets its settings.
    if (error) console.warn('settings cannot be restored: ' + error);
    removeRunDependency('zest-persist');
  });

  // A page gets no orderly exit: the program saves whenever it is hidden or left.
  function hidden() {
    if (Module['_zest_page_hidden'] && runtimeInitialized) Module['_zest_page_hidden']();
  }
  document.addEventListener('visibilitychange', function () {
    if (document.visibilityState === 'hidden') hidden();
  });
  window.addEventListener('pagehide', hidden);

  FS.mkdir('/game');
  FS.chdir('/game');
  zestFetches.forEach(function (file) {
    addRunDependency('zest-' + file.name);
    file.whenDone(function (bytes) {
      FS.writeFile('/game/' + file.name, bytes);
      removeRunDependency('zest-' + file.name);
    });
  });
});
