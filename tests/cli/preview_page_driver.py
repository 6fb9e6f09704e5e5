#!/usr/bin/python3
"""Drives velmora preview's page in headless Chromium over the DevTools protocol, as a user
would, and prints what the page showed as one JSON object.

    preview_page_driver.py try  URL PROFILE   move the radius, wait for the full frame, save
    preview_page_driver.py drag URL PROFILE [SECONDS]
                                              drag the radius slider with the mouse, a move
                                              every 16 ms, and list the frames shown meanwhile
    preview_page_driver.py view URL PROFILE   choose the first view in Show through, raise
                                              the exposure, wait for each frame, save

PROFILE is a fresh folder for the browser's profile. The page is read through Runtime.evaluate
and acted on with DOM and Input events; the page itself has no hooks for this.
"""

import json
import os
import signal
import subprocess
import sys
import time
import urllib.request

import websocket

# Whatever happens to the page, the browser is ended after this long.
BROWSER_SECONDS = 240

FLAGS = [
    "--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
    "--disable-component-update", "--disable-sync", "--no-first-run", "--disable-dev-shm-usage",
    "--window-size=1280,760", "--remote-debugging-port=0",
]


class Failure(Exception):
    pass


class Browser:
    def __init__(self, profile):
        self.log = open(os.path.join(profile, "browser.log"), "wb")
        self.process = subprocess.Popen(
            ["chromium", *FLAGS, "--user-data-dir=" + profile, "about:blank"],
            stdin=subprocess.DEVNULL, stdout=self.log, stderr=self.log)
        # The browser writes its port to DevToolsActivePort once it listens.
        active = os.path.join(profile, "DevToolsActivePort")
        deadline = time.monotonic() + 60
        port = None
        while port is None:
            if self.process.poll() is not None:
                raise Failure("chromium ended at start (see browser.log)")
            if time.monotonic() > deadline:
                raise Failure("chromium opened no DevTools port in 60 s")
            try:
                with open(active) as f:
                    port = int(f.readline())
            except (OSError, ValueError):
                time.sleep(0.05)
        with urllib.request.urlopen("http://127.0.0.1:%d/json/list" % port, timeout=30) as r:
            targets = json.load(r)
        page = next(t for t in targets if t["type"] == "page")
        self.socket = websocket.create_connection(page["webSocketDebuggerUrl"], timeout=120,
                                                  suppress_origin=True)
        self.last_id = 0

    def close(self):
        self.process.terminate()
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        self.log.close()

    def call(self, method, **params):
        self.last_id += 1
        self.socket.send(json.dumps({"id": self.last_id, "method": method, "params": params}))
        while True:
            message = json.loads(self.socket.recv())
            if message.get("id") == self.last_id:
                if "error" in message:
                    raise Failure("%s: %s" % (method, message["error"]))
                return message["result"]

    def eval(self, expression):
        result = self.call("Runtime.evaluate", expression=expression, awaitPromise=True,
                           returnByValue=True)
        if "exceptionDetails" in result:
            details = result["exceptionDetails"]
            raise Failure("page: " + details.get("exception", {}).get("description",
                                                                      details.get("text", "")))
        return result["result"].get("value")

    def wait(self, expression, seconds=120):
        deadline = time.monotonic() + seconds
        while not self.eval(expression):
            if time.monotonic() > deadline:
                raise Failure("waited %d s for %s; the page says: %s" %
                              (seconds, expression, self.eval("$('error').textContent")))
            time.sleep(0.05)


# A full frame is on show and nothing is asked for: the page's own visible state.
FULL_FRAME_SHOWN = ("$('after').src.startsWith('blob:') && "
                    "$('scale').textContent === '(full size)'")

HELPERS = """
window.driver = {
  pixels(img) {
    const canvas = document.createElement('canvas');
    canvas.width = img.naturalWidth;
    canvas.height = img.naturalHeight;
    const context = canvas.getContext('2d');
    context.drawImage(img, 0, 0);
    return Array.from(context.getImageData(0, 0, canvas.width, canvas.height).data);
  },
  frames: [],
  // Every frame the page shows, with the scale it says it is at.
  watch() {
    new MutationObserver(() => driver.frames.push(
        {t: performance.now(), scale: $('scale').textContent, src: $('after').src}))
        .observe($('after'), {attributes: true, attributeFilter: ['src']});
  },
};
"""


def open_page(browser, url):
    browser.call("Page.navigate", url=url)
    browser.wait("typeof $ === 'function' && document.readyState === 'complete' && "
                 "document.getElementById('after') !== null")
    browser.wait(FULL_FRAME_SHOWN)
    browser.eval(HELPERS)


def try_page(browser, url):
    """Moves the radius as a user would, waits for the new full frame, compares it with the one
    before and presses Save preset."""
    open_page(browser, url)
    report = {}
    # The tint starts off, so its controls start greyed.
    report["tintGreyed"] = browser.eval(
        "document.querySelector('select[name=\"tint-mode\"]').disabled && "
        "document.querySelector('input[type=color][name=tint]').disabled")
    browser.eval("driver.before = driver.pixels($('after')); driver.beforeSrc = $('after').src; 1")
    browser.eval("""(() => {
      const slider = document.querySelector('input[type=range][name=radius]');
      const min = Number(slider.min), max = Number(slider.max);
      slider.value = Math.round(Number(slider.value) > (min + max) / 4 ? min + (max - min) / 16
                                                                      : min + (max - min) / 4);
      slider.dispatchEvent(new Event('input'));
      slider.dispatchEvent(new Event('change'));
      return 1;
    })()""")
    browser.wait("$('after').src !== driver.beforeSrc && " + FULL_FRAME_SHOWN)
    report["radius"] = browser.eval("document.querySelector('input[type=range][name=radius]').value")
    report["changed"] = browser.eval(
        "JSON.stringify(driver.before) !== JSON.stringify(driver.pixels($('after')))")
    browser.eval("$('save').click(); 1")
    browser.wait("!$('saved').hidden || $('error').textContent !== ''")
    report["file"] = browser.eval("$('saved-file').textContent")
    report["command"] = browser.eval("$('command').textContent")
    report["query"] = browser.eval("new URL($('download').href).search.slice(1)")
    report["error"] = browser.eval("$('error').textContent")
    return report


def view_page(browser, url):
    """Chooses the first view of Show through, then an exposure of +1, waiting for the full frame
    after each, and presses Save preset."""
    open_page(browser, url)
    report = {
        "menuShown": browser.eval("!$('viewing').hidden"),
        "exposureGreyedAsStored": browser.eval("$('exposure').disabled"),
    }
    browser.eval("driver.beforeSrc = $('after').src; 1")
    report["view"] = browser.eval("""(() => {
      const menu = $('show-through');
      menu.value = menu.options[1].value;
      menu.dispatchEvent(new Event('change'));
      return menu.value;
    })()""")
    browser.wait("$('after').src !== driver.beforeSrc && " + FULL_FRAME_SHOWN)
    report["exposureLive"] = browser.eval("!$('exposure').disabled")
    browser.eval("driver.beforeSrc = $('after').src; 1")
    browser.eval("""(() => {
      const exposure = $('exposure');
      exposure.value = '1';
      exposure.dispatchEvent(new Event('input'));
      exposure.dispatchEvent(new Event('change'));
      return 1;
    })()""")
    browser.wait("$('after').src !== driver.beforeSrc && " + FULL_FRAME_SHOWN)
    browser.wait("$('before').complete && $('before').naturalWidth > 0")
    report["source"] = browser.eval("new URL($('before').src).search.slice(1)")
    browser.eval("$('save').click(); 1")
    browser.wait("!$('saved').hidden || $('error').textContent !== ''")
    report["query"] = browser.eval("new URL($('download').href).search.slice(1)")
    report["error"] = browser.eval("$('error').textContent")
    return report


def drag_page(browser, url, seconds):
    """Drags the radius slider with the mouse from a tenth of its track to nine tenths, a move
    every 16 ms, then lets go; lists the frames shown from the press to the release."""
    open_page(browser, url)
    browser.eval("driver.watch(); 1")
    box = browser.eval("""(() => {
      const slider = document.querySelector('input[type=range][name=radius]');
      slider.scrollIntoView({block: 'center'});
      const r = slider.getBoundingClientRect();
      return {left: r.left, width: r.width, y: r.top + r.height / 2, value: slider.value};
    })()""")
    if box["width"] < 20:
        raise Failure("the radius slider is %s px wide" % box["width"])
    moves = max(2, round(seconds * 1000 / 16))
    x0 = box["left"] + 0.1 * box["width"]
    x1 = box["left"] + 0.9 * box["width"]

    def mouse(kind, x, **extra):
        browser.call("Input.dispatchMouseEvent", type=kind, x=x, y=box["y"], button="left",
                     **extra)

    began = browser.eval("performance.now()")
    mouse("mousePressed", x0, clickCount=1, buttons=1)
    start = time.monotonic()
    for i in range(1, moves + 1):
        mouse("mouseMoved", x0 + (x1 - x0) * i / moves, buttons=1)
        pause = start + i * 0.016 - time.monotonic()
        if pause > 0:
            time.sleep(pause)
    ended = browser.eval("performance.now()")
    mouse("mouseReleased", x1, clickCount=1, buttons=0)
    value = browser.eval("document.querySelector('input[type=range][name=radius]').value")
    # The release asks for the full frame; it comes after the reduced one in flight.
    browser.wait("driver.frames.length > 0 && driver.frames[driver.frames.length - 1].scale === "
                 "'(full size)' && $('after').src === driver.frames[driver.frames.length - 1].src")
    frames = browser.eval("driver.frames")
    during = [f for f in frames if began <= f["t"] <= ended]
    return {
        "moves": moves,
        "drag_ms": ended - began,
        "radius_before": box["value"],
        "radius_after": value,
        "frames_during_drag": len(during),
        "scales": [f["scale"] for f in during],
        "frame_times_ms": [round(f["t"] - began, 1) for f in during],
        "frames_after_release": len(frames) - len(during),
        "last_scale": frames[-1]["scale"],
        "error": browser.eval("$('error').textContent"),
    }


def main():
    if len(sys.argv) < 4 or sys.argv[1] not in ("try", "drag", "view"):
        sys.exit(__doc__)
    mode, url, profile = sys.argv[1:4]
    signal.signal(signal.SIGALRM, lambda *_: sys.exit("velmora: preview page: timed out"))
    signal.alarm(BROWSER_SECONDS)
    os.makedirs(profile, exist_ok=True)
    browser = None
    try:
        browser = Browser(profile)
        if mode == "try":
            report = try_page(browser, url)
        elif mode == "view":
            report = view_page(browser, url)
        else:
            report = drag_page(browser, url, float(sys.argv[4]) if len(sys.argv) > 4 else 3.0)
    except (Failure, OSError, websocket.WebSocketException) as e:
        report = {"error": "driver: " + str(e)}
    finally:
        if browser:
            browser.close()
    print(json.dumps(report))


if __name__ == "__main__":
    main()
