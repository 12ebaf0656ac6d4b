#!/usr/bin/python3
"""The control page of matrix-bridge in a real browser (Debian's chromium, headless, through
chromedriver and python3-selenium), against matrix-bridge and matrix-sim over loopback TCP.

    test_webpage.py BUILD_DIR

Open page on 127.0.0.61 (no login): a front-panel change reaches the page; a tap puts the
route on the wire, the cell is pending and then solid, and a Videohub client and a second page
see it; a preset applies and is marked active; at 360x640 nothing scrolls sideways and every
control is at least 44 px; a keyboard reaches and routes a crosspoint. With --require-token on
127.0.0.62: 401 without the session cookie, the login form, a wrong token refused and logged,
the cookie's attributes, and an upgrade with another Origin refused.
"""
import base64
import http.client
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import urllib.parse

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import WebDriverWait

BUILD = os.path.abspath(sys.argv.pop(1) if len(sys.argv) > 1 else 'build')
OPEN_ADDRESS = '127.0.0.61'
TOKEN_ADDRESS = '127.0.0.62'
HTTP_PORT = 8080
VIDEOHUB_PORT = 9990
# The front panel routes input 1 to output 4 this long after the simulator starts: after the
# page has opened, so that the page sees it happen.
FRONT_PANEL_MS = 8000
MAC = '00-1A-2B-3C-4D-5E'


def settings_text(address):
    return ('[Control mode]\r\nMode=1\r\n[TCP control device]\r\nName=x\r\n'
            '[TCP control device list]\r\n'
            f'Device No.1=[Hall]-[Static IP]-[{address}]-[{MAC}]-[Same Subnet]\r\n'
            f'[Tag of Input - TCP:{MAC}]\r\nIn1=Lectern\r\nIn2=\r\nIn3=Camera\r\nIn4=\r\n'
            f'[Tag of Output - TCP:{MAC}]\r\nOut1=Projector\r\nOut2=\r\nOut3=\r\nOut4=\r\n'
            '[Pre-Setting name]\r\nSetting3=Lecture\r\n'
            '[Pre-Setting value]\r\nvalue3=3,3,4,3\r\n')


class Programs:
    """matrix-sim and matrix-bridge on one loopback address; the bridge's log is kept."""

    def __init__(self, address, folder, bridge_options, front_panel=None):
        self.address = address
        self.log = []
        sim_args = [os.path.join(BUILD, 'matrix-sim'), '--tcp', address]
        if front_panel:
            script = os.path.join(folder, f'front-panel-{address}.txt')
            with open(script, 'w') as f:
                f.write(front_panel)
            sim_args += ['--front-panel-script', script]
        self.sim = subprocess.Popen(sim_args, stderr=subprocess.PIPE, text=True)
        line = self.sim.stderr.readline()
        self.sim_started = time.time()
        if 'listening' not in line:
            raise RuntimeError(f'matrix-sim on {address} did not start: {line}')
        settings = os.path.join(folder, f'Settings-{address}.ini')
        with open(settings, 'w', newline='') as f:
            f.write(settings_text(address))
        self.bridge = subprocess.Popen(
            [os.path.join(BUILD, 'matrix-bridge'), '--host', address,
             '--listen', f'{address}:{VIDEOHUB_PORT}', '--settings', settings,
             '--http', f'{address}:{HTTP_PORT}', '--poll-ms', '50'] + bridge_options,
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.reached = threading.Event()
        threading.Thread(target=self._read_log, daemon=True).start()
        if not self.reached.wait(10):
            raise RuntimeError(f'matrix-bridge on {address} did not reach its switcher:\n' +
                               '\n'.join(self.log))

    def _read_log(self):
        for line in self.bridge.stderr:
            self.log.append(line.rstrip('\n'))
            if 'reached: HDMI Matrix 4x4' in line:
                self.reached.set()

    def logged(self, text, limit=5.0):
        """Whether the bridge logs a line with `text` within `limit` seconds: the log is read
        on a thread of its own, and a line may still be on its way."""
        deadline = time.time() + limit
        while not any(text in line for line in self.log):
            if time.time() > deadline:
                return False
            time.sleep(0.01)
        return True

    def url(self, path='/'):
        return f'http://{self.address}:{HTTP_PORT}{path}'

    def stop(self):
        for process in (self.bridge, self.sim):
            process.terminate()
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        for stream in (self.bridge.stdout, self.bridge.stderr, self.sim.stderr):
            stream.close()


class VideohubClient:
    """A protocol client of the same bridge: what it is sent is collected."""

    def __init__(self, address):
        self.sock = socket.create_connection((address, VIDEOHUB_PORT), timeout=5)
        self.received = b''

    def close(self):
        self.sock.close()

    def wait_for(self, text, limit=5.0):
        deadline = time.time() + limit
        while text not in self.received:
            if time.time() > deadline:
                return False
            self.sock.settimeout(max(0.01, deadline - time.time()))
            try:
                chunk = self.sock.recv(4096)
            except socket.timeout:
                continue
            if not chunk:
                return False
            self.received += chunk
        return True


def browser():
    options = webdriver.ChromeOptions()
    options.binary_location = '/usr/bin/chromium'
    profile = tempfile.mkdtemp(prefix='matrix-browser-')
    for argument in ('--headless', '--no-sandbox', '--disable-gpu',
                     '--disable-background-networking', '--disable-component-update',
                     '--disable-sync', '--no-first-run', '--user-data-dir=' + profile):
        options.add_argument(argument)
    driver = webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)
    driver.profile = profile
    return driver


def close_browser(driver):
    driver.quit()
    shutil.rmtree(driver.profile, ignore_errors=True)


def http_request(address, method, path, headers=None, body=None):
    connection = http.client.HTTPConnection(address, HTTP_PORT, timeout=10)
    connection.request(method, path, body=body, headers=headers or {})
    answer = connection.getresponse()
    result = (answer.status, dict(answer.getheaders()), answer.read())
    connection.close()
    return result


def upgrade_status(address, origin, cookie=None):
    """The status line the bridge answers a WebSocket upgrade with."""
    key = base64.b64encode(os.urandom(16)).decode()
    request = (f'GET /ws HTTP/1.1\r\nHost: {address}:{HTTP_PORT}\r\nUpgrade: websocket\r\n'
               f'Connection: Upgrade\r\nSec-WebSocket-Key: {key}\r\n'
               f'Sec-WebSocket-Version: 13\r\nOrigin: {origin}\r\n')
    if cookie:
        request += f'Cookie: {cookie}\r\n'
    with socket.create_connection((address, HTTP_PORT), timeout=5) as sock:
        sock.sendall((request + '\r\n').encode())
        answer = b''
        while b'\r\n' not in answer:
            chunk = sock.recv(1024)
            if not chunk:
                break
            answer += chunk
    return answer.split(b'\r\n')[0].decode()


def cell(driver, output, inp):
    return driver.find_element(
        By.CSS_SELECTOR, f'#grid .cell[data-output="{output}"][data-input="{inp}"]')


def classes(element):
    return element.get_attribute('class').split()


def wait_connected(driver):
    WebDriverWait(driver, 10).until(
        lambda d: d.find_element(By.ID, 'connection').text == 'Connected: HDMI Matrix 4x4')


# Records, in the page, the classes each cell and preset has had since, with times.
WATCH = '''
window.seen = [];
new MutationObserver(function (records) {
  records.forEach(function (r) {
    const t = r.target;
    if (t.classList && (t.classList.contains('cell') || t.classList.contains('preset')))
      window.seen.push({key: t.dataset.key, cls: t.className, at: Date.now()});
  });
}).observe(document.body, {attributes: true, attributeFilter: ['class'], subtree: true});
'''


class OpenPage(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix='matrix-webpage-')
        cls.programs = Programs(OPEN_ADDRESS, cls.folder, [],
                                front_panel=f'{FRONT_PANEL_MS} route 4 1\n')
        cls.driver = browser()
        cls.driver.get(cls.programs.url())
        wait_connected(cls.driver)
        cls.driver.execute_script(WATCH)
        cls.page_opened = time.time()

    @classmethod
    def tearDownClass(cls):
        close_browser(cls.driver)
        cls.programs.stop()
        shutil.rmtree(cls.folder, ignore_errors=True)

    def seen(self, key):
        return [s for s in self.driver.execute_script('return window.seen') if s['key'] == key]

    def test_1_front_panel_change_appears(self):
        due = self.programs.sim_started + FRONT_PANEL_MS / 1000.0
        print(f'page open {(self.page_opened - self.programs.sim_started) * 1000:.0f} ms after '
              f'the simulator started; the change is due at {FRONT_PANEL_MS} ms', file=sys.stderr)
        self.assertLess(self.page_opened, due,
                        'the page opened after the front-panel change; raise FRONT_PANEL_MS')
        WebDriverWait(self.driver, FRONT_PANEL_MS / 1000.0 + 5).until(
            lambda d: 'on' in classes(cell(d, 4, 1)))
        turned_on = [s for s in self.seen('cell-4-1') if 'on' in s['cls'].split()]
        latency = turned_on[0]['at'] / 1000.0 - due
        print(f'front panel to page: {latency * 1000:.0f} ms', file=sys.stderr)
        self.assertLess(latency, 1.5)
        self.assertIn('Output4 now shows Input1 Lectern.',
                      self.driver.find_element(By.ID, 'changes').text)

    def test_2_tap_routes_through_the_switcher(self):
        client = VideohubClient(OPEN_ADDRESS)
        self.assertTrue(client.wait_for(b'END PRELUDE:\n\n'))
        client.received = b''
        second = self.driver.current_window_handle
        self.driver.switch_to.new_window('tab')
        self.driver.get(self.programs.url())
        wait_connected(self.driver)
        first = self.driver.current_window_handle
        self.driver.execute_script(WATCH)
        self.driver.switch_to.window(second)

        target = cell(self.driver, 2, 3)
        self.assertEqual(target.get_attribute('aria-label'), 'Output2 from Input3 Camera')
        self.assertEqual(target.get_attribute('aria-pressed'), 'false')
        target.click()
        WebDriverWait(self.driver, 5).until(
            lambda d: classes(cell(d, 2, 3)).count('on') == 1 and
            'pending' not in classes(cell(d, 2, 3)))
        # Pending first, solid once the switcher has taken it.
        seen = self.seen('cell-2-3')
        history = [s['cls'].split() for s in seen]
        self.assertIn('pending', history[0])
        self.assertNotIn('on', history[0])
        print(f'tap to solid cell in the page: {seen[-1]["at"] - seen[0]["at"]} ms',
              file=sys.stderr)
        self.assertEqual(cell(self.driver, 2, 3).get_attribute('aria-pressed'), 'true')
        self.assertNotIn('on', classes(cell(self.driver, 2, 2)))
        # The switcher acknowledged it: the bridge tells its protocol clients...
        self.assertTrue(client.wait_for(b'VIDEO OUTPUT ROUTING:\n1 2\n\n'))
        # ... and the other page shows it.
        self.driver.switch_to.window(first)
        WebDriverWait(self.driver, 5).until(lambda d: 'on' in classes(cell(d, 2, 3)))
        self.assertNotIn('on', classes(cell(self.driver, 2, 2)))
        self.driver.close()
        self.driver.switch_to.window(second)
        client.close()

    def test_3_preset_applies_and_is_marked(self):
        lecture = self.driver.find_element(By.CSS_SELECTOR, '.preset[data-number="3"]')
        self.assertIn('Lecture', lecture.text)
        self.assertNotIn('active', classes(lecture))
        lecture.click()
        WebDriverWait(self.driver, 5).until(
            lambda d: 'active' in classes(d.find_element(By.CSS_SELECTOR,
                                                         '.preset[data-number="3"]')))
        routing = [next(i for i in range(1, 5) if 'on' in classes(cell(self.driver, o, i)))
                   for o in range(1, 5)]
        self.assertEqual(routing, [3, 3, 4, 3])
        self.assertEqual(self.driver.find_element(
            By.CSS_SELECTOR, '.preset[data-number="3"]').get_attribute('aria-pressed'), 'true')
        self.assertEqual(len(self.driver.find_elements(By.CSS_SELECTOR, '.preset.active')), 1)

    def test_4_phone_layout(self):
        self.driver.execute_cdp_cmd('Emulation.setDeviceMetricsOverride', {
            'width': 360, 'height': 640, 'deviceScaleFactor': 1, 'mobile': True})
        try:
            self.driver.get(self.programs.url())
            wait_connected(self.driver)
            width = self.driver.execute_script(
                'return [document.documentElement.scrollWidth, window.innerWidth]')
            self.assertEqual(width[1], 360)
            self.assertLessEqual(width[0], width[1], 'the page scrolls sideways at 360 px')
            sizes = self.driver.execute_script(
                'return Array.from(document.querySelectorAll("button")).map(function (b) {'
                ' const r = b.getBoundingClientRect();'
                ' return [b.getAttribute("aria-label") || b.textContent, r.width, r.height,'
                ' r.right]; })')
            self.assertEqual(len(sizes), 16 + 8)
            for name, w, h, right in sizes:
                self.assertGreaterEqual(min(w, h), 44, f'{name}: {w:.0f} x {h:.0f} px')
                self.assertLessEqual(right, 360, f'{name} reaches past the screen')
            artifacts = os.environ.get('MATRIX_ARTIFACT_DIR')
            if artifacts:
                os.makedirs(artifacts, exist_ok=True)
                self.driver.save_screenshot(os.path.join(artifacts, 'webpage_360x640.png'))
        finally:
            self.driver.execute_cdp_cmd('Emulation.clearDeviceMetricsOverride', {})

    def test_5_keyboard_names_and_live_region(self):
        self.driver.get(self.programs.url())
        wait_connected(self.driver)
        for button in self.driver.find_elements(By.TAG_NAME, 'button'):
            self.assertTrue(button.get_attribute('aria-label') or button.text.strip())
        self.assertEqual(self.driver.find_element(By.ID, 'changes').get_attribute('aria-live'),
                         'polite')
        # The first Tab reaches the first crosspoint, Enter routes it.
        ActionChains(self.driver).send_keys(Keys.TAB).perform()
        self.assertEqual(self.driver.switch_to.active_element.get_attribute('data-key'),
                         'cell-1-1')
        self.assertNotIn('on', classes(cell(self.driver, 1, 1)))
        ActionChains(self.driver).send_keys(Keys.ENTER).perform()
        WebDriverWait(self.driver, 5).until(lambda d: 'on' in classes(cell(d, 1, 1)))
        self.assertEqual(self.driver.switch_to.active_element.get_attribute('data-key'),
                         'cell-1-1')


class TokenPage(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix='matrix-webpage-')
        cls.token_file = os.path.join(cls.folder, 'token')
        cls.programs = Programs(TOKEN_ADDRESS, cls.folder,
                                ['--require-token', '--token-file', cls.token_file])
        with open(cls.token_file) as f:
            cls.token = f.read().strip()
        cls.driver = browser()

    @classmethod
    def tearDownClass(cls):
        close_browser(cls.driver)
        cls.programs.stop()
        shutil.rmtree(cls.folder, ignore_errors=True)

    def test_1_token_file_made_once(self):
        self.assertEqual(os.stat(self.token_file).st_mode & 0o777, 0o600)
        self.assertGreaterEqual(len(self.token), 40)
        printed = self.programs.bridge.stdout.readline()
        self.assertIn(self.token, printed)

    def test_2_nothing_without_the_cookie(self):
        for path in ('/', '/app.js', '/style.css', '/ws', '/nothing'):
            status, headers, body = http_request(TOKEN_ADDRESS, 'GET', path)
            self.assertEqual(status, 401, path)
            self.assertNotIn(b'app.js', body if path != '/' else b'')
        self.assertTrue(upgrade_status(TOKEN_ADDRESS, f'http://{TOKEN_ADDRESS}:{HTTP_PORT}')
                        .startswith('HTTP/1.1 401'))

    def test_3_login_in_the_browser(self):
        self.driver.get(self.programs.url())
        self.assertEqual(self.driver.find_element(By.ID, 'token').get_attribute('type'),
                         'password')
        self.driver.find_element(By.ID, 'token').send_keys('not the token at all')
        self.driver.find_element(By.CSS_SELECTOR, 'button[type=submit]').click()
        WebDriverWait(self.driver, 10).until(
            lambda d: 'That token is not right.' in d.page_source)
        self.assertTrue(self.programs.logged(
            'wrong token from 127.0.0.1 (1 in a row); answered after 1 s'),
            '\n'.join(self.programs.log))
        self.driver.find_element(By.ID, 'token').send_keys(self.token)
        self.driver.find_element(By.CSS_SELECTOR, 'button[type=submit]').click()
        wait_connected(self.driver)
        self.assertNotIn(self.token, self.driver.current_url)
        cookies = self.driver.get_cookies()
        self.assertEqual(len(cookies), 1)
        self.assertTrue(cookies[0]['httpOnly'])
        self.assertEqual(cookies[0]['sameSite'], 'Strict')
        self.assertNotEqual(cookies[0]['value'], self.token)
        self.assertEqual(self.driver.execute_script('return document.cookie'), '')

    def test_4_other_origin_refused(self):
        status, headers, body = http_request(
            TOKEN_ADDRESS, 'POST', '/login',
            {'Content-Type': 'application/x-www-form-urlencoded'},
            urllib.parse.urlencode({'token': self.token}))
        self.assertEqual(status, 303)
        session = headers['Set-Cookie'].split(';')[0]
        own = f'http://{TOKEN_ADDRESS}:{HTTP_PORT}'
        self.assertTrue(upgrade_status(TOKEN_ADDRESS, 'http://evil.example', session)
                        .startswith('HTTP/1.1 403'))
        self.assertTrue(upgrade_status(TOKEN_ADDRESS, own, session)
                        .startswith('HTTP/1.1 101'))
        self.assertTrue(self.programs.logged('Origin "http://evil.example" is not this page\'s'),
                        '\n'.join(self.programs.log))


if __name__ == '__main__':
    unittest.main(verbosity=2)
