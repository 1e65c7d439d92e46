// The page's side of the browser platform, called from src/platform (C++).
mergeInto(LibraryManager.library, {
  // Writes the settings folder back to IndexedDB. IDBFS stores every changed file in one transaction;
  // a save during a write-back is written once that one has finished.
  zest_sync_persistent_files__deps: ['$FS'],
  zest_sync_persistent_files: function () {
    var state = Module['zestSync'] || (Module['zestSync'] = {running: false, again: false, done: 0});
    function run() {
      state.running = true;
      state.again = false;
      FS.syncfs(false, function (error) {
        if (error) console.warn('settings could not be stored: ' + error);
        state.running = false;
        state.done++;
        if (state.again) run();
      });
    }
    if (state.running) state.again = true;
    else run();
  },

  // Full screen is the browser's, of the page's game area (its parent of the canvas); the page fits the
  // canvas into it. Browsers grant it only shortly after a click or key, which is when the game asks.
  zest_page_is_full_screen: function () {
    return document.fullscreenElement ? 1 : 0;
  },
  zest_page_set_full_screen: function (on) {
    var area = Module['canvas'] && Module['canvas'].parentElement;
    if (on && !document.fullscreenElement && area && area.requestFullscreen) {
      area.requestFullscreen().catch(function (error) { console.log('full screen refused: ' + error); });
    } else if (!on && document.fullscreenElement) {
      document.exitFullscreen().catch(function () {});
    }
  },

  // SDL's audio and timers call these emscripten helpers from their inline JS, which declares no
  // dependencies; every page program reaches this function, so it pulls them in.
  zest_page_ended__deps: ['$autoResumeAudioContext', '$dynCall'],
  zest_page_ended: function () {
    var page = Module['zestPage'] || {};
    if (page.ended) page.ended();
  },

  // A demo's replay ended (stopReason empty: it played to its end), before the game goes on live.
  zest_page_demo_ended: function (updates, draws, stopReason) {
    var page = Module['zestPage'] || {};
    if (page.demoEnded) page.demoEnded(updates, draws, UTF8ToString(stopReason));
  },

  zest_show_message_box: function (title, text, error) {
    var page = Module['zestPage'] || {};
    var t = UTF8ToString(title), x = UTF8ToString(text);
    if (page.message) page.message(t, x, !!error);
    else console.log(t + ': ' + x);
  },
});
