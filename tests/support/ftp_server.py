"""A real FTP server for the tests (pyftpdlib, from Debian).

usage: ftp_server.py PORT ANON_ROOT USER PASSWORD USER_ROOT
Anonymous logins read ANON_ROOT; USER with PASSWORD reads USER_ROOT.
"""
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer

port, anon_root, user, password, user_root = sys.argv[1:6]
authorizer = DummyAuthorizer()
authorizer.add_anonymous(anon_root)
authorizer.add_user(user, password, user_root, perm="elr")
handler = FTPHandler
handler.authorizer = authorizer
handler.passive_ports = None
server = FTPServer(("127.0.0.1", int(port)), handler)
server.serve_forever()
