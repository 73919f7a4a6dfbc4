"""A headless Chromium driven over the DevTools protocol on a pipe, with no host
name resolving and WebGL through SwiftShader: opens a page, records every URL
it requests, evaluates JavaScript, moves the pointer, takes screenshots."""
import base64
import json
import os
import shutil
import subprocess
import tempfile
import time

BINARY = shutil.which("chromium")


class Chromium:
    def __init__(self, width=1200, height=800):
        self.profile = tempfile.mkdtemp(prefix="kaselect-chromium-")
        to_child, self._write = os.pipe()
        self._read, from_child = os.pipe()

        def plug_pipes():  # the protocol pipe is fds 3 (commands) and 4 (answers)
            os.dup2(to_child, 3)
            os.dup2(from_child, 4)

        self.process = subprocess.Popen(
            [BINARY, "--headless=new", "--remote-debugging-pipe", "--no-sandbox", "--no-first-run",
             "--use-angle=swiftshader", "--enable-unsafe-swiftshader", "--host-resolver-rules=MAP * ~NOTFOUND",
             f"--user-data-dir={self.profile}", f"--window-size={width},{height}", "about:blank"],
            preexec_fn=plug_pipes, pass_fds=(3, 4), stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(to_child)
        os.close(from_child)
        self._next_id, self._buffer, self.requests = 0, b"", []
        target = self.call("Target.createTarget", url="about:blank")["targetId"]
        self.session = self.call("Target.attachToTarget", targetId=target, flatten=True)["sessionId"]
        for domain in ("Page", "Network", "Runtime"):
            self.call(f"{domain}.enable", session=True)

    def call(self, method, session=False, **params):
        """Sends one command and returns its result; events met meanwhile are
        read for the URLs the page requests."""
        self._next_id += 1
        message = {"id": self._next_id, "method": method, "params": params}
        if session:
            message["sessionId"] = self.session
        os.write(self._write, json.dumps(message).encode() + b"\0")
        while True:
            while b"\0" not in self._buffer:
                chunk = os.read(self._read, 1 << 20)
                if not chunk:
                    raise RuntimeError("chromium closed its pipe")
                self._buffer += chunk
            text, self._buffer = self._buffer.split(b"\0", 1)
            answer = json.loads(text)
            if answer.get("method") == "Network.requestWillBeSent":
                self.requests.append(answer["params"]["request"]["url"])
            if answer.get("id") == self._next_id:
                if "error" in answer:
                    raise RuntimeError(f"{method}: {answer['error']}")
                return answer["result"]

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", session=True, expression=expression,
                           returnByValue=True, awaitPromise=True)
        if "exceptionDetails" in result:
            raise RuntimeError(result["exceptionDetails"])
        return result["result"].get("value")

    def open(self, path, timeout=90):
        """Opens a file and waits for the page's ready mark; raises on its error mark."""
        self.call("Page.navigate", session=True, url="file://" + os.path.abspath(path))
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            ready, error = self.evaluate("document.body ? [document.body.dataset.kaselectReady, "
                                         "document.body.dataset.kaselectError] : [null, null]")
            if error:
                raise RuntimeError(f"page reports: {error}")
            if ready == "1":
                return
            time.sleep(0.2)
        raise TimeoutError(f"{path} not ready after {timeout} s")

    def move_mouse(self, x, y):
        self.call("Input.dispatchMouseEvent", session=True, type="mouseMoved", x=x, y=y)

    def screenshot(self, path):
        with open(path, "wb") as f:
            f.write(base64.b64decode(self.call("Page.captureScreenshot", session=True, format="png")["data"]))

    def close(self):
        try:
            self.call("Browser.close")
            self.process.wait(timeout=10)
        except (RuntimeError, OSError, subprocess.TimeoutExpired):
            self.process.kill()
            self.process.wait()
        os.close(self._read)
        os.close(self._write)
        shutil.rmtree(self.profile, ignore_errors=True)
