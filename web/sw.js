// The page's service worker: the game, once loaded, starts and plays with no
// network. Every file of the page is kept in a cache named for this build;
// a new build is a new worker (its version below differs), which fills a new
// cache, takes over at once and deletes the old one, so the load after an
// update shows the new page.
"use strict";

var Version = "@BEXARAN_PAGE_VERSION@";
var CacheName = "bexaran-" + Version;
var PageFiles = ["./", "manifest.json", "bexaran.ico", "icon-192.png", "icon-512.png",
                 "editor.js", "solver-worker.js"];

self.addEventListener("install", function (event) {
    event.waitUntil(caches.open(CacheName).then(function (cache) {
        // Straight from the server: an HTTP cache may still hold the old page.
        return cache.addAll(PageFiles.map(function (file) { return new Request(file, { cache: "reload" }); }));
    }).then(function () { return self.skipWaiting(); }));
});

self.addEventListener("activate", function (event) {
    event.waitUntil(caches.keys().then(function (names) {
        return Promise.all(names.filter(function (name) {
            return name.indexOf("bexaran-") === 0 && name !== CacheName;
        }).map(function (name) { return caches.delete(name); }));
    }).then(function () { return self.clients.claim(); }));
});

// The page from the cache, whatever the query or file name it is asked by
// (index.html, ?from=home); anything else the cache lacks from the network.
self.addEventListener("fetch", function (event) {
    var request = event.request;
    if (request.method !== "GET") return;
    event.respondWith(caches.open(CacheName).then(function (cache) {
        return cache.match(request, { ignoreSearch: true }).then(function (hit) {
            if (hit) return hit;
            if (request.mode === "navigate") {
                return cache.match("./").then(function (page) { return page || fetch(request); });
            }
            return fetch(request);
        });
    }));
});
