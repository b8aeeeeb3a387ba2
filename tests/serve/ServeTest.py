#!/usr/bin/env python3
"""quillmere-serve against real HTTP clients on loopback, with LibreOffice.

  ServeTest.py QUILLMERE_SERVE QUILLMERE_BATCH DECKS_FOLDER

Each case drives the real server: the images it answers are the bytes
quillmere-batch writes, under the same names; every refusal has its status
and the command line's words; no upload folder outlives its request; SIGTERM
ends the service with status 0.
"""
import io
import json
import os
import re
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import urllib.error
import urllib.request
import zipfile

SERVE, BATCH, DECKS = sys.argv[1:4]
del sys.argv[1:4]


class Service:
    """quillmere-serve on a free port, its uploads under a TMPDIR of its own."""

    def __init__(self, *args):
        self.tmp = tempfile.TemporaryDirectory()
        env = dict(os.environ, TMPDIR=self.tmp.name)
        self.process = subprocess.Popen([SERVE, "--listen", "127.0.0.1:0", *args],
                                        stderr=subprocess.PIPE, text=True, env=env)
        line = self.process.stderr.readline()
        match = re.search(r"listening on (http://\S+)", line)
        if not match:
            self.process.kill()
            raise AssertionError("the service did not start: " + line)
        self.url = match.group(1)

    def post(self, deck_path, query):
        with open(deck_path, "rb") as deck:
            body = deck.read()
        request = urllib.request.Request(self.url + "/convert?" + query, data=body, method="POST")
        try:
            with urllib.request.urlopen(request, timeout=120) as response:
                return response.status, response.headers, response.read()
        except urllib.error.HTTPError as error:
            return error.code, error.headers, error.read()

    def post_form(self, fields, decks):
        """multipart/form-data: `fields` as (name, value), `decks` as paths in "files"."""
        boundary = "qm-boundary-%d" % os.getpid()
        parts = []
        for name, value in fields:
            parts.append(b'--%s\r\nContent-Disposition: form-data; name="%s"\r\n\r\n%s\r\n'
                         % (boundary.encode(), name.encode(), value.encode()))
        for path in decks:
            with open(path, "rb") as deck:
                parts.append(b'--%s\r\nContent-Disposition: form-data; name="files"; filename="%s"\r\n'
                             b"Content-Type: application/octet-stream\r\n\r\n%s\r\n"
                             % (boundary.encode(), os.path.basename(path).encode(), deck.read()))
        body = b"".join(parts) + b"--%s--\r\n" % boundary.encode()
        request = urllib.request.Request(self.url + "/convert", data=body, method="POST",
                                         headers={"Content-Type": "multipart/form-data; boundary=" + boundary})
        try:
            with urllib.request.urlopen(request, timeout=120) as response:
                return response.status, response.headers, response.read()
        except urllib.error.HTTPError as error:
            return error.code, error.headers, error.read()

    def leftovers(self):
        """Upload folders present now (a warm renderer's folder stays)."""
        return [name for name in os.listdir(self.tmp.name) if name.startswith("quillmere-serve-")]

    def stop(self):
        """SIGTERM; the exit status and whatever is left in TMPDIR after it."""
        self.process.send_signal(signal.SIGTERM)
        code = self.process.wait(timeout=60)
        self.process.stderr.close()
        left = os.listdir(self.tmp.name)
        self.tmp.cleanup()
        return code, left


def batch_images(args, deck):
    out = tempfile.mkdtemp()
    subprocess.run([BATCH, "-q", "-o", out, *args, deck], check=False)
    return {name: open(os.path.join(out, name), "rb").read() for name in sorted(os.listdir(out))}


class ServeTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.service = Service()

    @classmethod
    def tearDownClass(cls):
        # A stop signal ends the service cleanly: no upload, no renderer left.
        code, left = cls.service.stop()
        assert code == 0, "SIGTERM should end the service with 0, not %d" % code
        assert left == [], "left in TMPDIR after the stop: %s" % left

    def test_images_are_the_command_lines_bytes_under_its_names(self):
        deck = os.path.join(DECKS, "std4.pptx")
        status, headers, body = self.service.post(deck, "filename=std4.pptx&mode=first")
        self.assertEqual(status, 200, body)
        self.assertEqual(headers["Content-Type"], "image/png")
        self.assertIn('filename="std4_Slide1.png"', headers["Content-Disposition"])
        self.assertEqual(body, batch_images(["-m", "first"], deck)["std4_Slide1.png"])

        status, headers, body = self.service.post(deck, "filename=std4.pptx&type=webp&slides=2-&pad=1")
        self.assertEqual(status, 200, body)
        self.assertEqual(headers["Content-Type"], "application/zip")
        archive = zipfile.ZipFile(io.BytesIO(body))
        expected = batch_images(["-t", "webp", "--slides", "2-", "--pad"], deck)
        self.assertEqual(sorted(archive.namelist()), sorted(list(expected) + ["results.json"]))
        for name, data in expected.items():
            self.assertEqual(archive.read(name), data, name)
        records = [json.loads(line) for line in archive.read("results.json").decode().splitlines()]
        self.assertEqual(records[0]["path"], "std4.pptx")
        self.assertEqual(records[0]["images"], sorted(expected))
        # The service's own folders never reach the client.
        self.assertNotIn(b"quillmere-serve-", archive.read("results.json"))
        self.assertEqual(self.service.leftovers(), [])

    def test_several_decks_come_as_a_zip_with_a_folder_each_and_a_failure_as_a_record(self):
        decks = [os.path.join(DECKS, name) for name in ("std4.pptx", "wide3.pptx", "password.pptx", "std4.pptx")]
        status, headers, body = self.service.post_form([("mode", "first")], decks)
        self.assertEqual(status, 200, body[:200])
        archive = zipfile.ZipFile(io.BytesIO(body))
        self.assertEqual(sorted(archive.namelist()), ["results.json", "std4-2/std4_Slide1.png",
                                                      "std4/std4_Slide1.png", "wide3/wide3_Slide1.png"])
        self.assertEqual(archive.read("wide3/wide3_Slide1.png"),
                         batch_images(["-m", "first"], decks[1])["wide3_Slide1.png"])
        records = [json.loads(line) for line in archive.read("results.json").decode().splitlines()]
        self.assertEqual([(r["path"], r["status"]) for r in records[:4]],
                         [("std4.pptx", "converted"), ("wide3.pptx", "converted"),
                          ("password.pptx", "failed"), ("std4.pptx", "converted")])
        self.assertIn("password-protected", records[2]["reasons"][0])
        self.assertEqual(records[4]["summary"]["failed"], 1)
        status, _, body = self.service.post_form([], [])
        self.assertEqual((status, json.loads(body)["error"]), (400, 'The form sends no deck in the field "files".'))

    def test_notes_travel_beside_their_image_and_a_deck_refused_for_its_fonts_is_named(self):
        status, headers, body = self.service.post(os.path.join(DECKS, "notes3.pptx"),
                                                  "filename=notes3.pptx&mode=first&notes=1")
        self.assertEqual((status, headers["Content-Type"]), (200, "application/zip"), body[:200])
        archive = zipfile.ZipFile(io.BytesIO(body))
        self.assertEqual(sorted(archive.namelist()), ["notes3_Slide1.png", "notes3_Slide1.txt", "results.json"])
        self.assertIn("Say the figures slowly.", archive.read("notes3_Slide1.txt").decode("utf-8"))
        record = json.loads(archive.read("results.json").decode().splitlines()[0])
        self.assertEqual(record["slideDetails"][0]["notesFile"], "notes3_Slide1.txt")
        self.assertEqual(record["slideDetails"][0]["title"], "Quarterly figures")

        status, _, body = self.service.post(os.path.join(DECKS, "fonts.pptx"),
                                            "filename=fonts.pptx&fail-on-missing-fonts=1")
        self.assertEqual(status, 422, body)
        self.assertIn("Quillmere Nowhere Sans", json.loads(body)["error"])
        self.assertEqual(self.service.leftovers(), [])

    def test_every_refusal_has_its_status_and_says_why(self):
        deck = os.path.join(DECKS, "std4.pptx")
        text = os.path.join(tempfile.mkdtemp(), "notes.pptx")
        with open(text, "w") as out:
            out.write("not a deck\n")
        cases = [
            (deck, "mode=every", 400, "Unknown mode \"every\": use each, all, first, second or slide."),
            (deck, "width=99999", 400, "must be a whole number from 1 to 32767"),
            (deck, "output=/etc", 400, "Unknown option \"output\""),
            (text, "filename=notes.pptx", 415, "no presentation"),
            (os.path.join(DECKS, "password.pptx"), "filename=password.pptx", 422,
             "password.pptx: the presentation is password-protected"),
            (os.path.join(DECKS, "truncated.pptx"), "filename=../../truncated.pptx", 422, "truncated.pptx:"),
        ]
        for path, query, status, words in cases:
            got, headers, body = self.service.post(path, query)
            self.assertEqual(got, status, query + ": " + body.decode())
            self.assertEqual(headers["Content-Type"], "application/json")
            self.assertIn(words, json.loads(body)["error"], query)
            self.assertNotIn(b"quillmere-serve-", body)
        self.assertEqual(self.service.leftovers(), [])

    def test_health_ready_and_metrics_tell_a_load_balancer_what_it_needs(self):
        def get(path):
            try:
                with urllib.request.urlopen(self.service.url + path, timeout=120) as response:
                    return response.status, response.read().decode()
            except urllib.error.HTTPError as error:
                return error.code, error.read().decode()
        self.assertEqual(get("/health")[0], 200)
        self.assertEqual(get("/ready"), (200, '{"ready": true}\n'))  # a sample slide drawn, or one lately
        self.service.post(os.path.join(DECKS, "wide3.pptx"), "filename=wide3.pptx")
        self.assertEqual(get("/nowhere")[0], 404)
        status, text = get("/metrics")
        self.assertEqual(status, 200)
        values = dict(line.rsplit(" ", 1) for line in text.splitlines() if line and not line.startswith("#"))
        self.assertGreaterEqual(int(values['quillmere_requests_total{route="/convert",status="200"}']), 1)
        self.assertGreaterEqual(int(values["quillmere_images_total"]), 3)
        self.assertEqual(values['quillmere_requests_total{route="other",status="404"}'], "1")
        self.assertGreaterEqual(int(values["quillmere_conversion_seconds_count"]), 1)
        self.assertEqual(values["quillmere_queue_depth"], "0")
        self.assertGreaterEqual(int(values["quillmere_renderers_warm"]), 1)  # kept for the next request
        self.assertGreaterEqual(int(values["quillmere_renderers_started_total"]), 1)

    def test_a_stop_signal_lets_the_conversion_under_way_finish_and_takes_no_more(self):
        stopping = Service()
        answers = {}
        deck = os.path.join(DECKS, "wide3.pptx")
        client = threading.Thread(target=lambda: answers.setdefault("deck", stopping.post(deck, "filename=wide3.pptx")))
        client.start()
        time.sleep(0.3)  # the renderer is starting: the conversion is under way
        stopping.process.send_signal(signal.SIGTERM)
        client.join(timeout=120)
        status, headers, body = answers["deck"]
        self.assertEqual(status, 200, body[:200])
        self.assertEqual(len(zipfile.ZipFile(io.BytesIO(body)).namelist()), 4)  # three slides and the records
        self.assertEqual(stopping.process.wait(timeout=60), 0)
        with self.assertRaises(urllib.error.URLError):  # nobody listens any more
            urllib.request.urlopen(stopping.url + "/health", timeout=5)
        self.assertEqual(stopping.stop(), (0, []))

    def test_a_client_that_leaves_mid_upload_or_mid_conversion_leaves_nothing_running(self):
        host, port = self.service.url[len("http://"):].split(":")

        def metric(name):
            with urllib.request.urlopen(self.service.url + "/metrics", timeout=30) as response:
                for line in response.read().decode().splitlines():
                    if line.startswith(name + " "):
                        return int(line.split()[1])

        def settles(check, seconds=20):
            for _ in range(seconds * 5):
                if check():
                    return True
                time.sleep(0.2)
            return False

        # Half a body, then gone: its folder goes with it.
        with socket.create_connection((host, int(port))) as connection:
            connection.sendall(b"POST /convert?filename=half.pptx HTTP/1.1\r\nHost: x\r\n"
                               b"Content-Length: 1000000\r\n\r\n" + b"PK\x03\x04" + b"x" * 100000)
            self.assertTrue(settles(lambda: self.service.leftovers() != []), "the upload never started")
        self.assertTrue(settles(lambda: self.service.leftovers() == []), "a half upload's folder stayed")
        self.assertTrue(settles(lambda: metric("quillmere_uploads_in_progress") == 0))

        # The zip bomb draws for seconds: its client leaves, its conversion stops.
        bomb = open(os.path.join(DECKS, "bomb.pptx"), "rb").read()
        with socket.create_connection((host, int(port))) as connection:
            connection.sendall(b"POST /convert?filename=bomb.pptx HTTP/1.1\r\nHost: x\r\n"
                               b"Content-Length: %d\r\n\r\n" % len(bomb) + bomb)
            self.assertTrue(settles(lambda: metric("quillmere_conversions_running") == 1), "the bomb never started")
        # Stopped within moments, long before the bomb's own end (its memory ceiling, or 11 s whole).
        self.assertTrue(settles(lambda: metric("quillmere_conversions_running") == 0, seconds=3),
                        "the conversion ran on")
        self.assertTrue(settles(lambda: self.service.leftovers() == []))

    def test_a_client_that_trickles_its_headers_is_cut_off_at_the_header_timeout(self):
        slow = Service("--header-timeout", "2")
        try:
            host, port = slow.url[len("http://"):].split(":")
            with socket.create_connection((host, int(port)), timeout=30) as connection:
                closed = False  # 40 bytes at one a second: far past the 2 s allowed
                for byte in b"GET /health HTTP/1.1\r\nHost: x\r\nX-Slow: " + b"a" * 40:
                    try:
                        connection.sendall(bytes([byte]))
                        connection.settimeout(1)
                        if connection.recv(1) == b"":  # the service closed it
                            closed = True
                            break
                    except socket.timeout:
                        continue
                    except OSError:
                        closed = True
                        break
                self.assertTrue(closed, "a trickling client was never cut off")
            with urllib.request.urlopen(slow.url + "/health", timeout=10) as response:
                self.assertEqual(response.status, 200)  # others are still served
        finally:
            self.assertEqual(slow.stop(), (0, []))

    def test_an_upload_past_the_limit_is_refused_unkept(self):
        small = Service("--max-body", "1")
        try:
            big = os.path.join(small.tmp.name, "..", "big-%d.pptx" % os.getpid())
            with open(big, "wb") as out:
                out.write(b"PK\x03\x04" + os.urandom(3 << 20))
            status, _, body = small.post(big, "filename=big.pptx")
            os.remove(big)
            self.assertEqual(status, 413, body)
            self.assertIn("(1 MB)", json.loads(body)["error"])
            self.assertEqual(small.leftovers(), [])
        finally:
            self.assertEqual(small.stop(), (0, []))


    def test_a_full_queue_says_come_back_and_a_deadline_stops_the_deck(self):
        # One renderer, nobody may wait: while the zip bomb is drawn (for
        # seconds, until its memory ceiling) a second deck hears 429, and the
        # bomb is stopped at the deadline with 503; then the service works on.
        busy = Service("--jobs", "1", "--queue", "0", "--deadline", "2")
        try:
            answers = {}
            bomb = threading.Thread(target=lambda: answers.setdefault(
                "bomb", busy.post(os.path.join(DECKS, "bomb.pptx"), "filename=bomb.pptx")))
            bomb.start()
            deck = os.path.join(DECKS, "std4.pptx")
            time.sleep(1)  # the bomb is under way: its deadline is 2 s off
            status, headers, body = busy.post(deck, "filename=std4.pptx&mode=first")
            self.assertEqual(status, 429, body[:200])
            self.assertEqual(headers["Retry-After"], "5")
            bomb.join(timeout=60)
            status, _, body = answers["bomb"]
            self.assertEqual(status, 503, body)
            self.assertIn("deadline (2 s)", json.loads(body)["error"])
            status, _, body = busy.post(deck, "filename=std4.pptx&mode=first")
            self.assertEqual(status, 200, body)
        finally:
            self.assertEqual(busy.stop(), (0, []))


if __name__ == "__main__":
    unittest.main(verbosity=2)
