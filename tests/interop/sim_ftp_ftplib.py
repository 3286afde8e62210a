#!/usr/bin/python3
"""The simulator's FTP server against Python's ftplib, a client nobody here wrote.

Usage: sim_ftp_ftplib.py <path of kelvora-sim>

Starts one simulated controller on a loopback address with free ports, moves files both ways in active
mode (and once in passive mode), checks them byte for byte, and stops the simulator at the end.
"""

import ftplib
import io
import os
import queue
import random
import socket
import subprocess
import sys
import tempfile
import threading
import time

STARTUP_SECONDS = 20


def free_port(address):
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as probe:
        probe.bind((address, 0))
        return probe.getsockname()[1]


def free_udp_port(address):
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as probe:
        probe.bind((address, 0))
        return probe.getsockname()[1]


class Sim:
    def __init__(self, executable, data_dir, extra=()):
        self.address = "127.0.0.%d" % random.randint(20, 250)
        self.ftp_port = free_port(self.address)
        self.command_port = free_port(self.address)
        discovery = "127.0.0.1:%d" % free_udp_port("127.0.0.1")
        self.process = subprocess.Popen(
            [executable, "--controllers", "1", "--no-demo-data", "--lifetime", "60",
             "--first-address", self.address, "--ftp-port", str(self.ftp_port),
             "--command-port", str(self.command_port), "--discovery", discovery,
             "--data-dir", data_dir, *extra],
            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        self.lines = queue.Queue()
        self.output = []
        threading.Thread(target=self._read, daemon=True).start()
        self.data_dir = os.path.join(data_dir, "controller-1")

    def _read(self):
        for line in self.process.stdout:
            self.lines.put(line.rstrip("\n"))

    def wait_for(self, text, seconds):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            try:
                line = self.lines.get(timeout=max(0.01, deadline - time.monotonic()))
            except queue.Empty:
                break
            self.output.append(line)
            if text in line:
                return True
        return False

    def drain(self):
        while True:
            try:
                self.output.append(self.lines.get_nowait())
            except queue.Empty:
                return self.output

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


def login(sim, user="kelvora", password="pel47k2", passive=False):
    ftp = ftplib.FTP()
    ftp.connect(sim.address, sim.ftp_port, timeout=10)
    ftp.login(user, password)
    ftp.set_pasv(passive)
    return ftp


def retrieve(ftp, name):
    sink = io.BytesIO()
    ftp.retrbinary("RETR " + name, sink.write)
    return sink.getvalue()


def run(sim):
    random.seed(47)
    files = {
        "empty.dat": b"",
        "trans.dat": bytes(random.getrandbits(8) for _ in range(89 * 1000)),
        "big.bin": os.urandom(2 * 1024 * 1024),
    }

    # Wrong password, then the right one.
    ftp = ftplib.FTP()
    ftp.connect(sim.address, sim.ftp_port, timeout=10)
    try:
        ftp.login("kelvora", "wrong")
        check(False, "login with a wrong password accepted")
    except ftplib.error_perm as error:
        check(str(error).startswith("530"), "wrong password answered %s" % error)
    ftp.close()

    ftp = login(sim)
    check(ftp.pwd() == "/", "login directory is /")
    for name, content in files.items():
        reply = ftp.storbinary("STOR " + name, io.BytesIO(content))
        check(reply.startswith("226"), "STOR %s answered %s" % (name, reply))
        with open(os.path.join(sim.data_dir, name), "rb") as stored:
            check(stored.read() == content, "stored %s differs" % name)
    for name, content in files.items():
        check(retrieve(ftp, name) == content, "RETR %s differs" % name)

    # A second upload of the same name replaces the file.
    ftp.storbinary("STOR trans.dat", io.BytesIO(b"new content"))
    check(retrieve(ftp, "trans.dat") == b"new content", "replaced trans.dat differs")

    try:
        retrieve(ftp, "missing.dat")
        check(False, "RETR of a missing file succeeded")
    except ftplib.error_perm as error:
        check(str(error).startswith("550"), "missing file answered %s" % error)
    check(not os.path.exists(os.path.join(sim.data_dir, "missing.dat")), "missing.dat appeared")

    # Passive mode works as well.
    ftp.set_pasv(True)
    check(retrieve(ftp, "big.bin") == files["big.bin"], "passive RETR differs")
    ftp.set_pasv(False)

    try:
        ftp.cwd("../..")
        check(False, "CWD above the login directory accepted")
    except ftplib.error_perm:
        pass
    check(ftp.quit().startswith("221"), "QUIT not answered 221")

    # The update account: "b:" then "/firmware/", and the image lands in the firmware folder.
    ftp = login(sim, "ftp", "zqw")
    check(ftp.cwd("b:").startswith("250"), "CWD b: refused")
    check(ftp.cwd("/firmware/").startswith("250"), "CWD /firmware/ refused")
    check(ftp.pwd() == "/firmware", "PWD after CWD /firmware/ is %s" % ftp.pwd())
    image = os.urandom(300 * 1024)
    ftp.storbinary("STOR kc_update.bin", io.BytesIO(image))
    with open(os.path.join(sim.data_dir, "firmware", "kc_update.bin"), "rb") as stored:
        check(stored.read() == image, "firmware image differs")
    ftp.quit()

    check(sim.wait_for("ftp RETR big.bin", 5), "RETR not logged")
    log = "\n".join(sim.drain())
    check("ftp STOR kc_update.bin" in log, "STOR not logged")
    check("pel47k2" not in log, "password written to the log")


def run_with_faults(sim):
    """The fault switches as given on the command line."""
    ftp = ftplib.FTP()
    ftp.connect(sim.address, sim.ftp_port, timeout=10)
    check(ftp.sendcmd("USER kelvora").startswith("230"), "USER not answered 230")
    ftp.set_pasv(False)
    content = os.urandom(200 * 1000)
    for name in ("trans.dat", "module.dat"):
        ftp.storbinary("STOR " + name, io.BytesIO(content))
    try:
        retrieve(ftp, "trans.dat")
        check(False, "RETR of a file switched missing succeeded")
    except ftplib.error_perm as error:
        check(str(error).startswith("550"), "missing file answered %s" % error)
    started = time.monotonic()
    check(retrieve(ftp, "module.dat") == content, "slow RETR differs")
    check(time.monotonic() - started >= 0.05, "slow RETR was not slow")
    ftp.quit()


def with_sim(executable, extra, body):
    with tempfile.TemporaryDirectory() as data_dir:
        sim = Sim(executable, data_dir, extra)
        try:
            if not sim.wait_for("search service on", STARTUP_SECONDS):
                print("\n".join(sim.drain()))
                print("FAIL: kelvora-sim did not start")
                failures.append("start")
                return
            body(sim)
        except Exception as error:  # an exchange that broke off is a failure, not a crash of the test
            failures.append(repr(error))
            print("FAIL:", repr(error))
        finally:
            sim.stop()


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    with_sim(sys.argv[1], (), run)
    with_sim(sys.argv[1], ("--ftp-login-without-password", "--ftp-missing-file", "trans.dat",
                           "--ftp-slow", "50000:20"), run_with_faults)
    bad = subprocess.run([sys.argv[1], "--ftp-slow", "fast", "--lifetime", "5"], capture_output=True,
                         text=True, timeout=30)
    check(bad.returncode == 2 and "bad --ftp-slow" in bad.stderr, "bad --ftp-slow accepted")
    if failures:
        print("%d failure(s)" % len(failures))
        return 1
    print("all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
