// The page's service worker: the game, once loaded, starts and plays with no
// network. Every build keeps its files in a cache of its own, named for its
// version. A new build's worker fills its cache and takes over, so the next
// load shows the new page; a page still open from an earlier build asks for
// its editor and solver by its own version and gets them from its own cache,
// never a mix of two builds. A build's cache goes once no open page is of it.
"use strict";

var Version = "@BEXARAN_PAGE_VERSION@";
var CachePrefix = "bexaran-";
var CacheName = CachePrefix + Version;
var PageFiles = ["@BEXARAN_PAGE_FILES@"];
var AnswerMs = 5000; // a page that does not say its build in this time is not counted

self.addEventListener("install", function (event) {
    event.waitUntil(caches.open(CacheName).then(function (cache) {
        // Straight from the server: an HTTP cache may still hold the old page.
        return cache.addAll(PageFiles.map(function (file) { return new Request(file, { cache: "reload" }); }));
    }).then(function () { return self.skipWaiting(); }));
});

// The build of one open page, or null when it does not answer.
function buildOf(client) {
    return new Promise(function (resolve) {
        var channel = new MessageChannel();
        var timer = setTimeout(function () { resolve(null); }, AnswerMs);
        channel.port1.onmessage = function (e) { clearTimeout(timer); resolve(e.data && e.data.build); };
        client.postMessage({ askBuild: true }, [channel.port2]);
    });
}

// Deletes the caches of builds that no open page is of.
function tidy() {
    return self.clients.matchAll({ type: "window", includeUncontrolled: true }).then(function (open) {
        return Promise.all(open.map(buildOf));
    }).then(function (builds) {
        return caches.keys().then(function (names) {
            return Promise.all(names.filter(function (name) {
                if (name.indexOf(CachePrefix) !== 0 || name === CacheName) return false;
                return builds.indexOf(name.slice(CachePrefix.length)) < 0;
            }).map(function (name) { return caches.delete(name); }));
        });
    });
}

// The tidying waits for the pages' answers; the activation, which every
// fetch waits for, does not wait for it.
self.addEventListener("activate", function (event) {
    event.waitUntil(self.clients.claim());
    tidy();
});

// A page says it has started: caches of pages closed since may go.
self.addEventListener("message", function (event) {
    if (event.data && event.data.tidy) event.waitUntil(tidy());
});

// A request with ?build= from the cache of that build; the page from this
// build's cache, whatever the query or file name it is asked by (index.html,
// ?from=home); anything else the cache lacks from the network.
self.addEventListener("fetch", function (event) {
    var request = event.request;
    if (request.method !== "GET") return;
    var build = new URL(request.url).searchParams.get("build");
    var name = build ? CachePrefix + build : CacheName;
    event.respondWith(caches.has(name).then(function (kept) {
        if (!kept) return fetch(request);
        return caches.open(name).then(function (cache) {
            return cache.match(request, { ignoreSearch: true }).then(function (hit) {
                if (hit) return hit;
                if (request.mode === "navigate") {
                    return cache.match("./").then(function (page) { return page || fetch(request); });
                }
                return fetch(request);
            });
        });
    }));
});
