#!/usr/bin/python3
"""A pyftpdlib server for the FTP client's interop tests.

Serves one folder on 127.0.0.1 with one account, appends every command line it receives to a log file,
prints "ready <port>" once it listens and ends by itself after --lifetime seconds.
"""

import argparse
import logging
import signal
import sys

try:
    from pyftpdlib.authorizers import DummyAuthorizer
    from pyftpdlib.handlers import FTPHandler
    from pyftpdlib.servers import FTPServer
except ImportError:
    print("pyftpdlib missing", flush=True)
    sys.exit(3)


class LoggingHandler(FTPHandler):
    command_log = None
    login_without_password = False
    auth_failed_timeout = 0.01

    # Like the controller's server: files move unchanged in the default type. pyftpdlib's own default
    # is ASCII, which would turn CR LF into LF on upload.
    def __init__(self, *args, **kwargs):
        super().__init__(*args, **kwargs)
        self._current_type = "i"

    def flush_account(self):
        super().flush_account()
        self._current_type = "i"

    def pre_process_command(self, line, cmd, arg):
        with open(self.command_log, "a", encoding="latin-1") as log:
            log.write(line + "\n")
        super().pre_process_command(line, cmd, arg)

    def ftp_USER(self, line):
        if not self.login_without_password:
            return super().ftp_USER(line)
        # Logged in on USER alone (230), the way some embedded servers greet a known account.
        if self.authenticated:
            self.flush_account()
        if not self.authorizer.has_user(line):
            self.respond("530 Unknown user.")
            return
        self.username = line
        self.handle_auth_success(self.authorizer.get_home_dir(line), "", "Logged in without password.")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--dir", required=True)
    parser.add_argument("--user", default="kelvora")
    parser.add_argument("--password", default="pel47k2")
    parser.add_argument("--log", required=True, help="file that receives every command line")
    parser.add_argument("--user-230", action="store_true", help="answer USER with 230")
    parser.add_argument("--lifetime", type=int, default=120, help="seconds until the server ends itself")
    args = parser.parse_args()

    # The default action of SIGALRM ends the process: the server never outlives its test.
    signal.alarm(max(1, args.lifetime))
    logging.basicConfig(level=logging.WARNING)

    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.dir, perm="elradfmwMT")
    LoggingHandler.authorizer = authorizer
    LoggingHandler.command_log = args.log
    LoggingHandler.login_without_password = args.user_230
    server = FTPServer(("127.0.0.1", args.port), LoggingHandler)
    print("ready %d" % server.address[1], flush=True)
    server.serve_forever(timeout=0.5, handle_exit=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
