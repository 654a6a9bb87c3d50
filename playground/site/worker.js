// The Tovel front end and editor features, compiled to WebAssembly, run
// here, beside the page: typing never waits for an analysis. The page asks
// { id, method, args } and gets { id, result, ms } back, in order. Answers
// are parsed here so that the page receives plain objects.
"use strict";
importScripts("tovel.js");

// Methods that answer plain text rather than JSON.
const TEXT_ANSWERS = new Set(["syntaxTree"]);

let tovel = null;
const pending = [];
let draining = false;

createTovel().then((module) => {
  tovel = module;
  postMessage({ ready: true, legend: JSON.parse(tovel.legend()) });
  drain();
});

onmessage = (event) => {
  pending.push(event.data);
  // Requests that arrive together are looked at together, so that a newer
  // text can make the ones before it moot.
  if (!draining && tovel !== null) {
    draining = true;
    setTimeout(drain, 0);
  }
};

// An update makes everything asked before it moot: those requests were
// about a text the page no longer shows. They are answered as stale, not run.
function drain() {
  draining = false;
  const lastUpdate = pending.map((request) => request.method).lastIndexOf("update");
  const requests = pending.splice(0, pending.length);
  requests.forEach((request, i) => {
    if (i < lastUpdate) postMessage({ id: request.id, stale: true, result: null, ms: 0 });
    else answer(request);
  });
}

function answer({ id, method, args }) {
  const started = performance.now();
  let result;
  try {
    const text = tovel[method](...args);
    result = TEXT_ANSWERS.has(method) ? text : JSON.parse(text);
  } catch (error) {
    postMessage({ id, error: String(error) });
    return;
  }
  postMessage({ id, result, ms: performance.now() - started });
}
