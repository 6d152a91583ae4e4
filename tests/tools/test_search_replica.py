#!/usr/bin/env python3
"""Runs the search stand-in as a process and checks the pages it serves."""

import base64
import hashlib
import http.client
import re
import socket
import ssl
import subprocess
import sys
import time
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent.parent
SCRIPT = ROOT / "tools" / "search-replica" / "search-replica"
CORPUS = ROOT / "tools" / "search-replica" / "corpus"
SERP = ROOT / "tests" / "fixtures" / "serp"

# The result-block pattern of the analysis, used the way the analysis uses it.
BLOCK = re.compile('<div class="result c-container .*?><h3.*?><a href="(.*?)".*?>(.*?)</a></h3>'
                   '<div class="c-abstract">(.*?)</div>', re.IGNORECASE)
SPAN = re.compile("<span.*?/span>", re.IGNORECASE)
EM = re.compile("<em>(.*?)</em>", re.IGNORECASE)
DROPPED = ["，", "。", "！", "；", "、", "？", "'", "{", "【", "】", "|", ".", ",", "!", "?", "-",
           "&gt;", "/", "\\", ":"]
LINE = re.compile(r"^port=(\d+) spki=([A-Za-z0-9+/]{43}=) http_port=(\d+)$")


def gbk_query(text):
    return "".join("%%%02X" % b for b in text.encode("gbk"))


def measured_bytes(text):
    text = text.replace(" ", "").replace("\u3000", "")
    for mark in DROPPED:
        text = text.replace(mark, "")
    return len(text.encode("gbk"))


def similarity(title, abstract):
    """Highlighted bytes over the other bytes of one result, as the checker counts them."""
    abstract = SPAN.sub("", abstract)
    red = measured_bytes("".join(EM.findall(title)) + "".join(EM.findall(abstract)))
    rest = measured_bytes(EM.sub("", title) + EM.sub("", abstract))
    return red / rest if rest else float("inf")


def corpus_articles():
    for path in sorted(CORPUS.glob("*.txt")):
        head, _, body = path.read_text(encoding="utf-8").partition("\n\n")
        url = re.search(r"^url: (.*)$", head, re.M).group(1)
        yield path.name, url, re.sub(r"\s+", "", body)


def spki_by_openssl(cert_der):
    pem = subprocess.run(["openssl", "x509", "-inform", "der", "-pubkey", "-noout"], input=cert_der,
                         capture_output=True, check=True).stdout
    der = subprocess.run(["openssl", "pkey", "-pubin", "-outform", "der"], input=pem,
                         capture_output=True, check=True).stdout
    return base64.b64encode(hashlib.sha256(der).digest()).decode()


class Replica:
    def __init__(self):
        started = time.monotonic()
        self.proc = subprocess.Popen([sys.executable, str(SCRIPT), "--http-port", "0"],
                                     stdout=subprocess.PIPE, text=True)
        self.line = self.proc.stdout.readline().strip()
        self.startup = time.monotonic() - started
        m = LINE.match(self.line)
        if not m:
            self.stop()
            raise AssertionError("bad start-up line %r" % self.line)
        self.port, self.spki, self.http_port = int(m.group(1)), m.group(2), int(m.group(3))

    def connect(self, tls=True, timeout=10):
        if not tls:
            return http.client.HTTPConnection("127.0.0.1", self.http_port, timeout=timeout)
        # Its own throw-away certificate; the start-up test checks it against the spki.
        context = ssl.create_default_context()
        context.check_hostname = False
        context.verify_mode = ssl.CERT_NONE
        return http.client.HTTPSConnection("127.0.0.1", self.port, timeout=timeout, context=context)

    def get(self, path, tls=True):
        conn = self.connect(tls)
        try:
            conn.request("GET", path)
            resp = conn.getresponse()
            return resp.status, resp, resp.read()
        finally:
            conn.close()

    def stop(self, timeout=5):
        self.proc.terminate()
        try:
            return self.proc.wait(timeout)
        finally:
            if self.proc.poll() is None:
                self.proc.kill()
                self.proc.wait()
            self.proc.stdout.close()


class SearchReplicaTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.replica = Replica()

    @classmethod
    def tearDownClass(cls):
        cls.replica.stop()

    def search(self, text):
        status, resp, body = self.replica.get("/s?wd=" + gbk_query(text))
        self.assertEqual(status, 200)
        return body.decode("utf-8")

    def test_startup_line_names_the_served_certificate(self):
        print("start-up %.3f s" % self.replica.startup, file=sys.stderr)
        conn = self.replica.connect()
        conn.connect()
        try:
            served = conn.sock.getpeercert(binary_form=True)
        finally:
            conn.close()
        self.assertEqual(self.replica.spki, spki_by_openssl(served))
        san = subprocess.run(["openssl", "x509", "-inform", "der", "-noout", "-ext", "subjectAltName"],
                             input=served, capture_output=True, check=True).stdout.decode()
        self.assertIn("IP Address:127.0.0.1", san)
        self.assertIn("DNS:localhost", san)

    def test_every_corpus_piece_is_found_as_similar(self):
        articles = list(corpus_articles())
        self.assertGreaterEqual(len(articles), 20)
        for name, url, text in articles:
            for start in (0, len(text) // 2, len(text) - 36):
                piece = text[start:start + 36]
                with self.subTest(article=name, start=start):
                    page = self.search(piece)
                    self.assertIn('<meta charset="utf-8">', page)
                    self.assertEqual(len(BLOCK.findall(page)), page.count('class="result c-container '))
                    blocks = BLOCK.findall(page)
                    self.assertTrue(1 <= len(blocks) <= 10)
                    ratio = similarity(blocks[0][1], blocks[0][2])
                    self.assertGreater(ratio, 0.6 + 1e-7, "first result %r" % (blocks[0],))
                    own = [b for b in blocks if b[0] == url]
                    self.assertEqual(len(own), 1)
                    self.assertGreater(similarity(own[0][1], own[0][2]), 0.6 + 1e-7)

    def test_copied_passage_finds_both_pages(self):
        # Two articles share this passage; both are similar pages of it.
        page = self.search("最好选用三层分明的五花肉，切成三厘米见方的块，冷水下锅焯水，加几片姜")
        urls = [b[0] for b in BLOCK.findall(page) if similarity(b[1], b[2]) > 0.6 + 1e-7]
        self.assertEqual(sorted(urls), ["https://meishi.example/jiachang/hongshaorou.html",
                                        "https://www.example.net/caipu/12873.html"])

    def test_matching_needs_four_shared_characters(self):
        for query, found in [("紫色大象在月球上弹钢琴qzx", False),
                             ("qzx红烧肉qzx", False),
                             ("qzx红烧肉是qzx", True),
                             ("<&>\"红烧肉是", True)]:
            with self.subTest(query=query):
                page = self.search(query)
                blocks = BLOCK.findall(page)
                self.assertEqual(bool(blocks), found)
                if not found:
                    self.assertRegex(page, "抱歉没有找到与.*相关的网页")
                else:
                    self.assertIn("<em>红烧肉是</em>", blocks[0][2])
                self.assertNotIn("<&>", page)

    def test_form_query_in_utf8(self):
        status, _, body = self.replica.get("/s?ie=utf-8&wd=" + "+".join(
            "".join("%%%02X" % b for b in w.encode("utf-8")) for w in ["焯水", "冷水下锅焯水"]))
        self.assertEqual(status, 200)
        self.assertIn("<em>冷水下锅焯水</em>", body.decode("utf-8"))

    def test_marker_queries_and_test_paths(self):
        layout = (SERP / "bisohns__search-engine-parser__baidu-2021-05.html").read_bytes()
        cases = [
            ("/test/robot", 302, None),
            ("/s?wd=" + gbk_query("中文@robot@"), 302, None),
            ("/robot-check", 200, "百度安全验证".encode()),
            ("/s?wd=" + gbk_query("中文@error@"), 500, None),
            ("/test/status/503", 503, b"503"),
            ("/test/status/404", 404, b"404"),
            ("/test/status/999", 400, None),
            ("/test/unknown-layout", 200, layout),
            ("/s?wd=" + gbk_query("@layout@中文"), 200, layout),
            ("/fixtures/bisohns__search-engine-parser__captcha-2020-07.html", 200,
             (SERP / "bisohns__search-engine-parser__captcha-2020-07.html").read_bytes()),
            ("/fixtures/..%2FSOURCES.md", 404, None),
            ("/fixtures/../serp/SOURCES.md", 404, None),
            ("/fixtures/../../CMakeLists.txt", 404, None),
            ("/fixtures/", 404, None),
            ("/no-such-page", 404, None),
        ]
        for path, status, body in cases:
            with self.subTest(path=path):
                got, resp, data = self.replica.get(path)
                self.assertEqual(got, status)
                if status == 302:
                    self.assertEqual(resp.getheader("Location"), "/robot-check")
                if status == 200 and body is not None and path.startswith(("/fixtures", "/test", "/s")):
                    self.assertEqual(data, body)
                elif body is not None:
                    self.assertIn(body, data)
        self.assertEqual(BLOCK.findall(layout.decode("utf-8")), [])

    def test_non_gbk_page(self):
        status, resp, data = self.replica.get("/test/non-gbk")
        self.assertEqual(status, 200)
        text = data.decode("utf-8")
        self.assertTrue(any(c.encode("gbk", errors="replace") == b"?" for c in text))
        self.assertIn("한국어", text)

    def test_pages_over_both_schemes(self):
        for tls in (True, False):
            for path, word in [("/", "百度一下"), ("/page", "原创度"), ("/page", "Tallowin")]:
                with self.subTest(tls=tls, path=path):
                    status, resp, data = self.replica.get(path, tls)
                    self.assertEqual(status, 200)
                    self.assertEqual(resp.getheader("Content-Type"), "text/html;charset=utf-8")
                    self.assertIn(word, data.decode("utf-8"))

    def test_never_completing_page_holds_the_connection(self):
        for path in ["/test/never-completes", "/s?wd=" + gbk_query("中文@timeout@")]:
            with self.subTest(path=path):
                # Headers and the first part come at once; the rest never does.
                conn = self.replica.connect(timeout=1)
                try:
                    conn.request("GET", path)
                    resp = conn.getresponse()
                    self.assertEqual(resp.status, 200)
                    self.assertIn(b"<html", resp.read(200))
                    with self.assertRaises((socket.timeout, TimeoutError)):
                        resp.read()
                finally:
                    conn.close()


class StopTest(unittest.TestCase):
    def test_sigterm_ends_it_with_a_connection_hanging(self):
        replica = Replica()
        conn = replica.connect(tls=False, timeout=10)
        try:
            conn.request("GET", "/test/never-completes")
            resp = conn.getresponse()
            resp.read(100)
            started = time.monotonic()
            self.assertEqual(replica.stop(timeout=5), 0)
            print("stop %.3f s" % (time.monotonic() - started), file=sys.stderr)
        finally:
            conn.close()

    def test_sigint_ends_it(self):
        replica = Replica()
        replica.proc.send_signal(2)
        self.assertEqual(replica.proc.wait(5), 0)
        replica.proc.stdout.close()


if __name__ == "__main__":
    unittest.main()
