#!/usr/bin/env python3
"""A local stand-in for the dynamic-DNS providers, speaking their side of the dyndns protocol.

Kivo reaches it as an HTTP proxy (http_proxy=http://127.0.0.1:PORT). Over TLS, Kivo asks
the proxy for a tunnel ("CONNECT members.kivo.example:443"); the simulator answers
"200 Connection established" and then speaks TLS on that socket itself, with a
certificate for every host it plays from a test CA (made by make_certs.sh, given with
--tls; --list-tls-hosts prints those hosts). In clear, the request line carries the
absolute address "GET http://ddns.oray.com/ph/update?..."; direct requests
("GET /dyndns/update?...") are taken as meant for members.kivo.example.

A request is routed by its host (the CONNECT target inside a tunnel, the absolute
address's host in clear): at a host of PROVIDER_HOSTS and that provider's update path it is
an update, answered as below whichever provider it went to. Every other request that comes
through the proxy, in clear or inside a tunnel, goes to the address-check services: each
host of CHECK_SERVICES answers at its path (others get 404) in the form its documentation
shows, ADDRESS standing for the caller's public address (DEFAULT_CHECK_ADDRESS, a
documentation address, unless a test sets another):
  4.ipw.cn/, api.ipify.org/        ADDRESS                            (plain text)
  checkipv4.dedyn.io/              ADDRESS and a line end             (plain text)
  ddns.oray.com/checkip            <html><head><title>Current IP Check</title></head>
  and any other host, any path     <body>Current IP Address: ADDRESS</body></html>
                                                                     (on one line)
  v4.yinghualuo.cn/bejson          {"ip":"ADDRESS","location":"..."}  (JSON)
Other direct requests get 404.

Update answers, for one account (user, password, the host names it owns); any other
answer of the protocol (notfqdn, numhost, abuse, badagent, dnserr, 911, !donator) on
request, through misbehave:
  no credentials        401 with WWW-Authenticate: Basic, body "badauth"
  wrong credentials     "badauth"
  host not owned        "nohost"
  address changed       "good ADDRESS"
  address unchanged     "nochg ADDRESS"
Each host name has an A and an AAAA record, changed as the provider's documentation says:
an address in myip (myipv4, myipv6 at deSEC; myipv6 at Dynu) sets its family's record.
Where myip names no address, the record of the connection's family is set to the
connection's address, except that Dynu's myip=no leaves the A record alone. deSEC sets
each family that is not given from the connection where the connection is of that family,
and deletes it otherwise; "preserve" keeps it. The answer names the address sent, else
the connection's. Two hosts confirm in their own words, as their documentation and
peers' code show:
  nic.changeip.com      "200 Successful Update"
  freedns.afraid.org    "Updated HOSTNAME to ADDRESS in 0.029 seconds", and for an
                        unchanged address "ERROR: Address ADDRESS has not changed."

Control endpoints for tests, on direct requests to the simulator only (GET, hex = the
bytes as hexadecimal digits, so that nothing is lost on the way):
  /__sim/reset                                  demo account, nothing registered, no
      misbehaviour, good certificate, check service answering normally, empty logs
  /__sim/account?user=HEX&password=HEX&hosts=HEX,HEX   the account and the hosts it owns
  /__sim/misbehave?status=N&body=HEX            answer every update with these bytes
  /__sim/misbehave?status=N&body=HEX&location=HEX   ... and this Location header
  /__sim/misbehave?status=N&pieces=HEX,HEX&gap_ms=M   ... sent in pieces with pauses
  /__sim/misbehave?silence=1                    accept updates and never answer
  /__sim/certificate?name=good|untrusted|wrongname   what every tunnel (checks too)
      presents: the hosts' certificate from the trusted test CA, one from another CA, or
      one for another name
  /__sim/records                                the records, one line per host name:
      host=HEX a=HEX aaaa=HEX (empty where there is no such record)
  /__sim/records?host=HEX&a=HEX&aaaa=HEX        gives a host name these records
  /__sim/requests                               the updates received, one line each:
      target=HEX path=HEX user=HEX password=HEX credentials=0|1 tunnel=HEX agent=HEX
      host=HEX (tunnel: the CONNECT target the update came through, empty when it came
      in clear; host: the provider's host it was routed to)
  /__sim/checkip?address=HEX                    the check services report these bytes, as
      they are, instead of DEFAULT_CHECK_ADDRESS
  /__sim/checkip?fail=status|garbage|silence|trickle|none   the check services answer 503
      with a page that still holds a public dotted quad, or 200 with a page that holds none,
      or accept the request and never answer, or send their answer's header one byte every
      3 s; none: answer normally again
  /__sim/checkip?host=HEX&...                   the same for the service of that host
      alone (it wins over a setting for all); a setting for all clears those of the hosts
  /__sim/checks                                 the check requests received, one line
      each: tunnel=HEX host=HEX path=HEX agent=HEX credentials=0|1 (tunnel: the CONNECT
      target, empty in clear; host: the service's; path: the request target as received;
      credentials: whether an Authorization header came)
  /__sim/local-ipv6?add=HEX                     gives the interface of the default route
      this IPv6 address (/64, no duplicate address detection), so that the PC itself has
      it; answers "ok", or "refused " and the first line of the error where the system
      said no (not root, no such interface), so that a test can skip and say why
  /__sim/local-ipv6?remove=HEX                  takes such an address away again
A misbehaviour or check setting lasts until the next reset, which also empties both logs.
The addresses added go at the next reset too, and when the simulator ends.

The DNS providers' own APIs (api.cloudflare.com, dnsapi.cn, alidns.aliyuncs.com,
dnspod.tencentcloudapi.com, dns.myhuaweicloud.com: dns_api_sim.API_HOSTS) are played by
dns_api_sim.py, over TLS, with every method they use (GET, POST, PUT, PATCH; the other hosts
take GET only); its docstring describes them, their default accounts and its control
endpoints under /__sim/api/ (account, record, fail, clock, calls). /__sim/reset restores
their default accounts and empties their call log too.
"""

import argparse
import base64
import binascii
import ipaddress
import os
import signal
import ssl
import subprocess
import sys
import threading
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

import dns_api_sim

DEMO_USER = b"demo"
DEMO_PASSWORD = b"kivo2026"
DEMO_HOST = b"home.kivo.example"

# The providers' update hosts, as their documentation gives them, each with its update path;
# the first is the simulator's own, in the request form of builds made for one provider.
PROVIDER_HOSTS = {
    "members.kivo.example": "/dyndns/update",
    "members.dyndns.org": "/v3/update",
    "members.3322.net": "/dyndns/update",
    "dynupdate.no-ip.com": "/nic/update",
    "api.dynu.com": "/nic/update",
    "nic.changeip.com": "/nic/update",
    "freedns.afraid.org": "/nic/update",
    "dyn.dns.he.net": "/nic/update",
    "updates.dnsomatic.com": "/nic/update",
    "dns.eu.ovhapis.com": "/nic/update",
    "update.dedyn.io": "/",
    "dyndns.strato.com": "/nic/update",
    "ddns.oray.com": "/ph/update",  # over plain http: the provider has no TLS
}
LOG_LIMIT = 1000  # updates, and check requests, kept in their logs
SILENCE_LIMIT_S = 120  # a silent answer gives up after this, or at the next reset
GAP_LIMIT_MS = 10000
PIECES_LIMIT = 100

CHECK_PAGE = (b"<html><head><title>Current IP Check</title></head>"
              b"<body>Current IP Address: %s</body></html>")
# The address-check services' hosts, each answered over TLS and in clear, with the path it
# answers and the form of its answer.
CHECK_SERVICES = {
    "4.ipw.cn": ("/", b"%s"),
    "ddns.oray.com": ("/checkip", CHECK_PAGE),
    "v4.yinghualuo.cn": ("/bejson", b'{"ip":"%s","location":"Beijing"}'),
    "api.ipify.org": ("/", b"%s"),
    "checkipv4.dedyn.io": ("/", b"%s\n"),
    "checkip.kivo.example": (None, CHECK_PAGE),
}
CHECK_HOSTS = list(CHECK_SERVICES)
DEFAULT_CHECK_ADDRESS = b"203.0.113.1"
# The error page holds a public dotted quad so that a client that ignores the status is
# caught.
CHECK_UNAVAILABLE_PAGE = (b"<html><head><title>Service Unavailable</title></head>"
                          b"<body>Service Unavailable 192.0.2.1</body></html>")
CHECK_GARBAGE_PAGE = b"<html><body>Current IP Address: unknown, version 1.2.3</body></html>"
CHECK_FAILURES = ("status", "garbage", "silence", "trickle")
TRICKLE_GAP_S = 3


class ProviderState:
    def __init__(self):
        self.lock = threading.Lock()
        self.period_ended = threading.Event()
        self.reset()

    def reset(self):
        with self.lock:
            self.user = DEMO_USER
            self.password = DEMO_PASSWORD
            self.hosts = {DEMO_HOST}
            self.registered = {}
            self.misbehaviour = None
            self.certificate = "good"
            self.log = []
            # Settings for all check services, and for single hosts (which win).
            self.check_address = DEFAULT_CHECK_ADDRESS
            self.check_failure = None
            self.host_check_address = {}
            self.host_check_failure = {}
            self.check_log = []
            # Ends the misbehaving answers still running from the period before.
            ended, self.period_ended = self.period_ended, threading.Event()
        ended.set()


STATE = ProviderState()
ADDED_IPV6 = {}  # address -> interface, the PC's own addresses that a test added
ADDED_IPV6_LOCK = threading.Lock()
CERTIFICATES = {}  # name -> ssl.SSLContext presenting that certificate


def load_certificates(folder):
    for name in ("good", "untrusted", "wrongname"):
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(os.path.join(folder, name + ".pem"),
                                os.path.join(folder, name + ".key"))
        CERTIFICATES[name] = context


def hex_of(data):
    return binascii.hexlify(data).decode("ascii")


def query_values(query):
    """The query's values as bytes, percent-decoded; a repeated key keeps its first value."""
    values = {}
    for item in query.split("&"):
        key, _, value = item.partition("=")
        values.setdefault(key, urllib.parse.unquote_to_bytes(value.replace("+", " ")))
    return values


def basic_credentials(header):
    """(user, password) as bytes from an Authorization header, or None."""
    if not header or not header.lower().startswith("basic "):
        return None
    try:
        decoded = base64.b64decode(header[6:].strip(), validate=True)
    except (binascii.Error, ValueError):
        return None
    user, _, password = decoded.partition(b":")
    return user, password


def confirmation(host, hostname, address, changed):
    """A host's words for a confirmed update."""
    if host == "nic.changeip.com":
        return b"200 Successful Update"
    if host == "freedns.afraid.org":
        if changed:
            return b"Updated %s to %s in 0.029 seconds" % (hostname, address.encode("ascii"))
        return b"ERROR: Address %s has not changed." % address.encode("ascii")
    return (b"good " if changed else b"nochg ") + address.encode("ascii")


def address_of(value):
    """The address that bytes name, or None."""
    try:
        return ipaddress.ip_address(value.decode("ascii"))
    except (UnicodeDecodeError, ValueError):
        return None


def family_of(address):
    return "A" if address.version == 4 else "AAAA"


def updated_records(host, values, records, connection):
    """A host name's records after an update at that provider's host, and the address that
    the answer names."""
    records = dict(records)
    if host == "update.dedyn.io":
        given = {"A": values.get("myipv4"), "AAAA": values.get("myipv6")}
        myip = address_of(values.get("myip", b""))
        if myip and given[family_of(myip)] is None:
            given[family_of(myip)] = values["myip"]
        for family, value in given.items():
            if value == b"preserve":
                continue
            address = address_of(value) if value is not None else (
                connection if family_of(connection) == family else None)
            if address and family_of(address) == family:
                records[family] = str(address)
            else:
                records.pop(family, None)
        sent = next((address_of(v) for v in given.values() if v and address_of(v)), None)
        return records, str(sent or connection)
    keys = ("myip", "myipv6") if host == "api.dynu.com" else ("myip",)
    sent = [address_of(values[k]) for k in keys if k in values and address_of(values[k])]
    for address in sent:
        records[family_of(address)] = str(address)
    myip = values.get("myip", b"")
    if not address_of(myip) and not (host == "api.dynu.com" and myip == b"no"):
        records[family_of(connection)] = str(connection)
    return records, str(sent[0] if sent else connection)


class ProviderHandler(BaseHTTPRequestHandler):
    server_version = "KivoProviderSim/1.0"
    tunnel = ""  # the CONNECT target, for a handler that serves inside a TLS tunnel

    def log_message(self, format, *args):  # noqa: A002 - the base class's name
        sys.stderr.write("sim: %s %s\n" % (self.address_string(), format % args))

    # The request line arrives decoded as ISO-8859-1: encoding it back gives its bytes.
    def raw_target(self):
        return self.path.encode("iso-8859-1")

    def origin_form(self):
        """The path and query, without the scheme and host of a proxied request."""
        if "://" in self.path:
            rest = self.path.split("://", 1)[1]
            slash = rest.find("/")
            return "/" if slash < 0 else rest[slash:]
        return self.path

    def do_CONNECT(self):
        with STATE.lock:
            context = CERTIFICATES.get(STATE.certificate)
        if context is None:
            self.answer(501, b"no TLS: start the simulator with --tls")
            return
        self.send_response(200, "Connection established")
        self.end_headers()
        self.close_connection = True
        try:
            secure = context.wrap_socket(self.connection, server_side=True)
        except (ssl.SSLError, OSError) as error:  # the client refused the certificate
            self.log_message("no TLS session: %s", error)
            return
        try:
            TunnelHandler(secure, self.client_address, self.server, self.path)
        finally:
            secure.close()

    def host(self):
        """The host the request was meant for: the tunnel's, the absolute address's, or for
        a direct request the simulator's own provider."""
        if self.tunnel:
            return self.tunnel.rsplit(":", 1)[0].lower()
        if "://" in self.path:
            authority = self.path.split("://", 1)[1].split("/", 1)[0].split("?", 1)[0]
            return authority.rsplit(":", 1)[0].lower()
        return next(iter(PROVIDER_HOSTS))

    def do_GET(self):
        proxied = "://" in self.path
        path, _, query = self.origin_form().partition("?")
        if not proxied and not self.tunnel and path.startswith("/__sim/"):
            self.control(path[len("/__sim/"):], query)
        elif self.host() in dns_api_sim.API_HOSTS:
            dns_api_sim.serve(self)
        elif PROVIDER_HOSTS.get(self.host()) == path:
            self.update(query)
        elif proxied or self.tunnel:
            self.check()
        else:
            self.answer(404, b"not found")

    def do_POST(self):  # and PUT, PATCH: only the DNS providers' APIs take them
        if self.host() in dns_api_sim.API_HOSTS:
            dns_api_sim.serve(self)
        else:
            self.answer(405, b"method not allowed")

    do_PUT = do_PATCH = do_POST

    def answer(self, status, body, extra_headers=(), content_type="text/plain"):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Connection", "close")
        for name, value in extra_headers:
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(body)

    # --- the provider's side of the protocol

    def update(self, query):
        credentials = basic_credentials(self.headers.get("Authorization"))
        with STATE.lock:
            if len(STATE.log) < LOG_LIMIT:
                STATE.log.append({
                    "target": self.raw_target(),
                    "path": self.origin_form().encode("iso-8859-1"),
                    "user": credentials[0] if credentials else b"",
                    "password": credentials[1] if credentials else b"",
                    "credentials": credentials is not None,
                    "tunnel": self.tunnel.encode("iso-8859-1"),
                    "agent": self.headers.get("User-Agent", "").encode("iso-8859-1"),
                    "host": self.host().encode("iso-8859-1"),
                })
            misbehaviour = STATE.misbehaviour
            period_ended = STATE.period_ended
        if misbehaviour is not None:
            self.misbehave(misbehaviour, period_ended)
            return
        if credentials is None:
            self.answer(401, b"badauth", [("WWW-Authenticate", 'Basic realm="dyndns"')])
            return
        values = query_values(query)
        hostname = values.get("hostname", b"")
        with STATE.lock:
            if credentials != (STATE.user, STATE.password):
                reply = b"badauth"
            elif hostname not in STATE.hosts:
                reply = b"nohost"
            else:
                before = STATE.registered.get(hostname, {})
                after, address = updated_records(self.host(), values, before,
                                                 ipaddress.ip_address(self.client_address[0]))
                STATE.registered[hostname] = after
                reply = confirmation(self.host(), hostname, address, after != before)
        self.answer(200, reply)

    def misbehave(self, how, period_ended):
        if how["silence"]:
            period_ended.wait(SILENCE_LIMIT_S)
            self.close_connection = True
            return
        pieces = how["pieces"]
        self.send_response(how["status"])
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(sum(len(p) for p in pieces)))
        self.send_header("Connection", "close")
        if how["location"]:
            self.send_header("Location", how["location"])
        self.end_headers()
        try:
            for number, piece in enumerate(pieces):
                if number > 0 and period_ended.wait(how["gap_ms"] / 1000.0):
                    break
                self.wfile.write(piece)
                self.wfile.flush()
        except (BrokenPipeError, ConnectionResetError):
            pass  # the client gave up waiting
        self.close_connection = True

    # --- the address-check service

    def check(self):
        host = self.host()
        with STATE.lock:
            if len(STATE.check_log) < LOG_LIMIT:
                STATE.check_log.append({
                    "tunnel": self.tunnel.encode("iso-8859-1"),
                    "host": host.encode("iso-8859-1"),
                    "path": self.raw_target(),
                    "agent": self.headers.get("User-Agent", "").encode("iso-8859-1"),
                    "credentials": "Authorization" in self.headers,
                })
            address = STATE.host_check_address.get(host, STATE.check_address)
            failure = STATE.host_check_failure.get(host, STATE.check_failure)
            period_ended = STATE.period_ended
        path, form = CHECK_SERVICES.get(host, (None, CHECK_PAGE))
        if path is not None and self.origin_form() != path:
            self.answer(404, b"not found")
        elif failure == "silence":
            period_ended.wait(SILENCE_LIMIT_S)
            self.close_connection = True
        elif failure == "trickle":
            self.trickle(b"HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: %d\r\n\r\n%s"
                         % (len(address), address), period_ended)
        elif failure == "status":
            self.answer(503, CHECK_UNAVAILABLE_PAGE, content_type="text/html")
        elif failure == "garbage":
            self.answer(200, CHECK_GARBAGE_PAGE, content_type="text/html")
        else:
            self.answer(200, form % address,
                        content_type="text/html" if form is CHECK_PAGE else "text/plain")

    def trickle(self, answer, period_ended):
        """Sends the whole answer one byte at a time, TRICKLE_GAP_S apart, until the reset."""
        self.close_connection = True
        try:
            for byte in answer:
                self.wfile.write(bytes([byte]))
                self.wfile.flush()
                if period_ended.wait(TRICKLE_GAP_S):
                    return
        except OSError:
            pass  # the client gave up

    # --- control endpoints

    def control(self, command, query):
        values = query_values(query)
        try:
            if command == "reset":
                STATE.reset()
                dns_api_sim.reset()
                remove_all_local_ipv6()
                self.answer(200, b"ok")
            elif command == "account":
                with STATE.lock:
                    STATE.user = binascii.unhexlify(values["user"])
                    STATE.password = binascii.unhexlify(values["password"])
                    STATE.hosts = {binascii.unhexlify(h)
                                   for h in values.get("hosts", b"").split(b",") if h}
                    STATE.registered = {}
                self.answer(200, b"ok")
            elif command == "certificate":
                name = values["name"].decode("ascii")
                if name not in CERTIFICATES:
                    raise ValueError("no certificate " + name)
                with STATE.lock:
                    STATE.certificate = name
                self.answer(200, b"ok")
            elif command == "misbehave":
                self.set_misbehaviour(values)
                self.answer(200, b"ok")
            elif command == "records":
                self.records(values)
            elif command == "requests":
                with STATE.lock:
                    lines = [
                        "target=%s path=%s user=%s password=%s credentials=%d tunnel=%s "
                        "agent=%s host=%s\n" % (
                            hex_of(r["target"]), hex_of(r["path"]), hex_of(r["user"]),
                            hex_of(r["password"]), r["credentials"], hex_of(r["tunnel"]),
                            hex_of(r["agent"]), hex_of(r["host"]))
                        for r in STATE.log
                    ]
                self.answer(200, "".join(lines).encode("ascii"))
            elif command == "checkip":
                self.set_check(values)
                self.answer(200, b"ok")
            elif command == "local-ipv6":
                self.answer(200, change_local_ipv6(values))
            elif command == "checks":
                with STATE.lock:
                    lines = [
                        "tunnel=%s host=%s path=%s agent=%s credentials=%d\n" % (
                            hex_of(c["tunnel"]), hex_of(c["host"]), hex_of(c["path"]),
                            hex_of(c["agent"]), c["credentials"])
                        for c in STATE.check_log
                    ]
                self.answer(200, "".join(lines).encode("ascii"))
            elif command.startswith("api/"):
                self.answer(*dns_api_sim.control(command[len("api/"):], values))
            else:
                self.answer(404, b"unknown control command")
        except (KeyError, ValueError, binascii.Error) as error:
            self.answer(400, ("bad control request: %r" % error).encode("ascii"))

    def records(self, values):
        with STATE.lock:
            if "host" in values:
                records = {}
                for family, key in (("A", "a"), ("AAAA", "aaaa")):
                    text = binascii.unhexlify(values.get(key, b""))
                    if text:
                        records[family] = str(ipaddress.ip_address(text.decode("ascii")))
                STATE.registered[binascii.unhexlify(values["host"])] = records
            lines = ["host=%s a=%s aaaa=%s\n" % (hex_of(host), hex_of(r.get("A", "").encode()),
                                                 hex_of(r.get("AAAA", "").encode()))
                     for host, r in sorted(STATE.registered.items())]
        self.answer(200, "".join(lines).encode("ascii"))

    def set_misbehaviour(self, values):
        if values.get("silence") == b"1":
            how = {"silence": True}
        else:
            if "pieces" in values:
                pieces = [binascii.unhexlify(p) for p in values["pieces"].split(b",")]
            else:
                pieces = [binascii.unhexlify(values.get("body", b""))]
            if len(pieces) > PIECES_LIMIT:
                raise ValueError("too many pieces")
            how = {
                "silence": False,
                "status": int(values.get("status", b"200")),
                "pieces": pieces,
                "gap_ms": min(int(values.get("gap_ms", b"0")), GAP_LIMIT_MS),
                "location": binascii.unhexlify(values.get("location", b"")).decode("latin-1"),
            }
        with STATE.lock:
            STATE.misbehaviour = how

    def set_check(self, values):
        if "address" not in values and "fail" not in values:
            raise ValueError("give address=HEX or fail=status|garbage|silence|none")
        address = failure = host = None
        if "address" in values:
            address = binascii.unhexlify(values["address"])
        if "fail" in values:
            failure = values["fail"].decode("latin-1")
            if failure not in CHECK_FAILURES + ("none",):
                raise ValueError("no failure " + failure)
        if "host" in values:
            host = binascii.unhexlify(values["host"]).decode("latin-1")
        # Checked in full before anything changes, so a bad request changes nothing.
        with STATE.lock:
            if address is not None:
                if host is None:
                    STATE.check_address = address
                    STATE.host_check_address.clear()
                else:
                    STATE.host_check_address[host] = address
            if failure is not None:
                failure = None if failure == "none" else failure
                if host is None:
                    STATE.check_failure = failure
                    STATE.host_check_failure.clear()
                else:
                    STATE.host_check_failure[host] = failure


def run_ip(arguments):
    """None when the ip command did it, else the first line of what it said."""
    try:
        done = subprocess.run(["ip"] + arguments, capture_output=True, timeout=10)
    except (OSError, subprocess.TimeoutExpired) as error:
        return str(error)
    if done.returncode == 0:
        return None
    said = (done.stderr or done.stdout).decode("utf-8", "replace").strip()
    return said.splitlines()[0] if said else "exit status %d" % done.returncode


def ip_words(arguments):
    try:
        done = subprocess.run(["ip"] + arguments, capture_output=True, timeout=10)
    except (OSError, subprocess.TimeoutExpired):
        return []
    return done.stdout.decode("utf-8", "replace").split()


def default_interface():
    """The interface of the default route (IPv6, else IPv4), else the first one that is
    not loopback, or None."""
    for family in ("-6", "-4"):
        words = ip_words([family, "route", "show", "default"])
        if "dev" in words[:-1]:
            return words[words.index("dev") + 1]
    try:
        done = subprocess.run(["ip", "-o", "link"], capture_output=True, timeout=10)
    except (OSError, subprocess.TimeoutExpired):
        return None
    for line in done.stdout.decode("utf-8", "replace").splitlines():
        parts = line.split(":")  # "2: eth0@if5: <BROADCAST,...> ..."
        if len(parts) > 2 and "LOOPBACK" not in parts[2]:
            return parts[1].strip().split("@")[0]
    return None


def change_local_ipv6(values):
    if ("add" in values) == ("remove" in values):
        raise ValueError("give add=HEX or remove=HEX")
    adding = "add" in values
    text = binascii.unhexlify(values["add" if adding else "remove"]).decode("ascii")
    address = str(ipaddress.IPv6Address(text))
    with ADDED_IPV6_LOCK:
        if adding:
            interface = default_interface()
            if interface is None:
                return b"refused no network interface"
            error = run_ip(["-6", "addr", "add", address + "/64", "dev", interface, "nodad"])
            if error is None:
                ADDED_IPV6[address] = interface
        else:
            interface = ADDED_IPV6.get(address) or default_interface()
            if interface is None:
                return b"refused no network interface"
            error = run_ip(["-6", "addr", "del", address + "/64", "dev", interface])
            if error is None:
                ADDED_IPV6.pop(address, None)
    return b"ok" if error is None else ("refused " + error).encode("utf-8", "replace")


def remove_all_local_ipv6():
    with ADDED_IPV6_LOCK:
        for address, interface in ADDED_IPV6.items():
            run_ip(["-6", "addr", "del", address + "/64", "dev", interface])
        ADDED_IPV6.clear()


class TunnelHandler(ProviderHandler):
    """Serves the requests that arrive inside a CONNECT tunnel, on its TLS socket."""

    def __init__(self, request, client_address, server, tunnel):
        self.tunnel = tunnel
        super().__init__(request, client_address, server)


class ProviderServer(ThreadingHTTPServer):
    daemon_threads = True  # a silent answer must not keep the process alive


def main():
    parser = argparse.ArgumentParser(description="Local dyndns provider for Kivo.")
    parser.add_argument("--port", type=int, default=8245, help="0 picks a free port")
    parser.add_argument("--port-file", help="write the chosen port to this file")
    parser.add_argument("--tls", help="folder of the certificates that make_certs.sh made")
    parser.add_argument("--list-tls-hosts", action="store_true",
                        help="print the hosts that need a certificate, one a line, and end")
    args = parser.parse_args()
    if args.list_tls_hosts:
        print("\n".join(list(PROVIDER_HOSTS) + [h for h in CHECK_HOSTS if h not in PROVIDER_HOSTS]
                        + dns_api_sim.tls_hosts()))
        return
    if args.tls:
        load_certificates(args.tls)

    server = ProviderServer(("127.0.0.1", args.port), ProviderHandler)
    port = server.server_address[1]
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    if args.port_file:
        with open(args.port_file, "w") as port_file:
            port_file.write("%d\n" % port)
    print("Kivo provider simulator on http://127.0.0.1:%d/ (use it as http_proxy)" % port)
    print("Demo account: user %s, password %s, domain %s" % (
        DEMO_USER.decode(), DEMO_PASSWORD.decode(), DEMO_HOST.decode()))
    print(dns_api_sim.demo_text(), flush=True)
    try:
        server.serve_forever(poll_interval=0.2)
    except KeyboardInterrupt:
        pass
    finally:
        server.server_close()
        remove_all_local_ipv6()  # the PC must not keep a test's addresses


if __name__ == "__main__":
    main()
