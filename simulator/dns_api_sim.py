#!/usr/bin/env python3
"""The DNS providers' own HTTPS APIs, played for provider_sim.py inside its TLS tunnels.

provider_sim.py hands every request for a host of API_HOSTS to serve() (over TLS only: in
clear such a host answers 403), the control requests under /__sim/api/ to control(), and
calls reset() at /__sim/reset. Each provider keeps accounts in memory (a key, a secret,
zones and their records) and checks the credentials, signatures and time of every call as
its documentation says; the replies have the provider's own form, and the Date header of
each reply tells the time the provider believes (the simulator's clock shifted by
/__sim/api/clock).

api.cloudflare.com (cloudflare), "Authorization: Bearer <token>":
  GET   /client/v4/zones?name=&per_page=&page=       zones, name matched exactly
  GET   /client/v4/zones/{id}/dns_records?type=&name=  records, type and name exact
  PATCH /client/v4/zones/{id}/dns_records/{rid}       changes the fields given (JSON)
  POST  /client/v4/zones/{id}/dns_records             creates (type, name, content; ttl
        1 = automatic and proxied false unless given); an identical one: 81058
  Replies {"success","errors":[{"code","message"}],"messages":[],"result"} (result_info
  with lists). An unknown token, or an Authorization that is not "Bearer <token>": 400
  6003 with error_chain 6111; a zone of another account: 403 10000; an unknown zone id:
  400 7003; an unknown record: 404 81044; an A/AAAA content that is no such address: 9005.
dnsapi.cn (dnspod), POST https://dnsapi.cn/<Action>, a form body with
  login_token=<ID>,<Token>, format (json, else the reply is XML as the API's default),
  lang (cn: Chinese messages), error_on_empty (no: empty lists are status 1, else code 9
  for no domains and 10 for no records):
  Domain.List; Record.List (domain or domain_id, sub_domain, record_type: exact);
  Record.Modify (record_id, sub_domain, record_type, record_line or record_line_id, value,
  ttl: without one the record gets the default 600); Record.Ddns (record_id, sub_domain,
  record_line or record_line_id, value: without one the caller's address; keeps the TTL);
  Record.Create (sub_domain, record_type, record_line or record_line_id, value, ttl 600).
  status.code is a string, "1" success; a wrong ID or token: -1; after 30 failed logins of
  an ID within 5 minutes that ID gets -8 for an hour, right token or not; a domain of no
  account: 6; of another account: 9 (Record.List) or 7 (changes); an unknown record: 8;
  an unknown line: 26; a value that is no address of the type: 34; no POST: 2. The JSON
  escapes non-ASCII as \\uXXXX, as the API's PHP does. The User-Agent must read
  "Name/Version" followed by a contact e-mail address: in parentheses, with or without a
  space before them (DNSPod writes the form "程序英文名称/版本(联系邮箱)", its example
  "MJJ DDNS Client/1.0.0 (shallwedance@126.com)"); and it must not be a browser's
  ("Mozilla/..."). Otherwise 403 with a plain page (DNSPod says only that its firewall may
  refuse such requests and ban the account's API).
alidns.aliyuncs.com (alidns), RPC API 2015-01-09, GET or POST, parameters in the query (or a
  form body), signature V3 verified: ACS3-HMAC-SHA256 over the canonical request (method,
  "/", the query sorted and RFC 3986-encoded, the signed headers lower-cased and trimmed,
  their list, x-acs-content-sha256 which must be the body's SHA-256); host, x-acs-action,
  x-acs-version, x-acs-date, x-acs-signature-nonce and x-acs-content-sha256 must be signed.
  DescribeDomains (KeyWord: matched in part, as its default SearchMode LIKE);
  DescribeSubDomainRecords (SubDomain, DomainName: without it the domain is SubDomain's
  last two labels, as documented; Type: without it every type); UpdateDomainRecord
  (RecordId, RR, Type, Value, TTL default 600, Line default "default": the value it
  holds already: DomainRecordDuplicate); AddDomainRecord (DomainName, RR, Type, Value,
  TTL 600, Line "default"). Errors {"RequestId","HostId","Code","Message","Recommend"}:
  no or a malformed Authorization, or a required header unsigned: 400 IncompleteSignature;
  an unknown key: 404 InvalidAccessKeyId.NotFound; x-acs-date more than 15 minutes from
  the provider's clock: 400 InvalidTimeStamp.Expired; a nonce seen in the last 15 minutes:
  400 SignatureNonceUsed; a wrong signature: 400 SignatureDoesNotMatch (with the string to
  sign); a domain of no account: InvalidDomainName.NoExist; of another account:
  IncorrectDomainUser; an unknown record: DomainRecordNotBelongToUser.
dnspod.tencentcloudapi.com (tencentcloud), API 3.0, POST / with a JSON body, X-TC-Action,
  X-TC-Timestamp, X-TC-Version 2021-03-23, signature TC3-HMAC-SHA256 verified (content-type
  and host signed, names and values lower-cased; scope <UTC date of X-TC-Timestamp>/dnspod/
  tc3_request; keys kDate = HMAC("TC3"+key, date), kService, kSigning):
  DescribeDomainList (Keyword in part); DescribeRecordList (Domain, Subdomain, RecordType:
  exact); ModifyRecord (Domain, RecordId, SubDomain, RecordType, RecordLine or
  RecordLineId, Value, TTL: without one 600); ModifyDynamicDNS (Domain, RecordId,
  SubDomain, RecordLine or RecordLineId, Value, TTL: without one 600); CreateRecord (TTL
  600). Every reply is HTTP 200 {"Response":{...,"RequestId"}}, an error as
  Response.Error {Code, Message}: AuthFailure.InvalidAuthorization, .SecretIdNotFound,
  .SignatureExpire (X-TC-Timestamp more than 5 minutes from the provider's clock),
  .SignatureFailure; InvalidParameterValue.DomainNotExists (a domain of no account or of
  another); ResourceNotFound.NoDataOfDomain / .NoDataOfRecord (empty lists);
  InvalidParameter.RecordIdInvalid (RecordId not a JSON integer, or no such record:
  RecordIds are above 2^53 here, so an id cut to 32 bits or read as a double misses);
  InvalidParameter.DomainRecordExist (an identical record).
dns.myhuaweicloud.com (huaweicloud), signature SDK-HMAC-SHA256 verified (X-Sdk-Date UTC
  YYYYMMDDTHHMMSSZ, signed with host and x-sdk-date; canonical URI = each segment RFC 3986
  encoded, always ending in "/", though the path sent has none; query sorted):
  GET  /v2/zones?type=public&name=&search_mode=   zones; name matched in part unless
       search_mode=equal (the documented default is a fuzzy search); names end in "."
  GET  /v2.1/zones/{zone}/recordsets?name=&type=&search_mode=   likewise, type exact
  PUT  /v2.1/zones/{zone}/recordsets/{id}   {"name","type","records":[...],"ttl"}: 202
  POST /v2.1/zones/{zone}/recordsets        the same fields, TTL 300 unless given: 202
  API gateway errors {"error_msg","error_code","request_id"}: every refused signature is
  401 APIGW.0301 (an unknown AK; a wrong signature, with the canonical request; X-Sdk-Date
  more than 15 minutes from the provider's clock: "signature expired"); after 5 refusals
  of an AK in a row the AK is refused for 5 minutes ("AK access failed to reach the
  limit,forbidden"), right signature or not. The DNS service's errors are {"code",
  "message"}: a zone of another account or none: 404 DNS.0101; an unknown record set:
  404 DNS.0004; bad fields: 400 DNS.0002. Another account's zones never appear in a list.
A call of a kind the simulator does not play gets the provider's "no such API" error with
"the simulator does not play ..." in its message; a request it cannot read at all (a
required field missing, a body that is no JSON object where one is due) gets 400 with a
plain text that says why: the simulator's own answer, not a provider's.

Default accounts (restored by /__sim/reset), each with the zones kivo.example,
example.com.cn and mykivo.example (a zone that a fuzzy search for kivo.example finds too):
  home.kivo.example   A 192.0.2.10, AAAA 2001:db8::10   (the demo domain)
  kept.kivo.example   A 192.0.2.20, TTL 120, a line other than the default (电信 at DNSPod
                      and Tencent, telecom at Aliyun, Dianxin at Huawei), proxied at
                      Cloudflare (TTL 1 there)
  kivo.example        A 192.0.2.1
  a.b.example.com.cn  A 198.51.100.30
  www.example.com.cn  AAAA 2001:db8::30
and the credentials of DEMO_KEYS. Other TTLs are the provider's default (Cloudflare 1,
Huawei 300, the others 600). Ids are the provider's kind: 32 hex digits at Cloudflare and
Huawei, numbers at DNSPod and Aliyun (strings in their JSON) and Tencent (JSON integers
from 2^53 + 1).

Control endpoints, direct GET requests to the simulator (HEX = the bytes as hexadecimal):
  /__sim/api/account?provider=P&key=HEX&secret=HEX&zones=HEX,HEX&records=HEX,HEX
      adds the account of provider P (cloudflare, dnspod, alidns, tencentcloud,
      huaweicloud), replacing one with the same key (at Cloudflare: the same token, the
      secret; key is ignored there); each record is "NAME TYPE VALUE" with optional
      " ttl=N", " line=TEXT", " proxied=1", put in the longest of the zones that ends NAME
  /__sim/api/record?provider=P&name=HEX&type=T[&key=HEX]   what the records of that name
      and type hold now (in every account of P, or the one of that key), a line each:
      id=HEX value=HEX ttl=N line=HEX proxied=0|1 zone=HEX; nothing when there is none
  /__sim/api/fail?provider=P&error=NAME[&kind=K][&times=N][&retry_after=S]   P answers
      its calls (of kind K only: zones, records, change or create) with its error NAME
      (N times, else until the next reset); error=none answers normally again. NAME is
      the provider's own code, one of FAILURES[P], or 500, 502, 503 (a gateway's page);
      retry_after sets Cloudflare's retry-after on 429 (default 300)
  /__sim/api/clock?shift=N     every provider believes the time is N seconds (signed) later
  /__sim/api/calls             the API calls received since the reset, a line each:
      provider=P kind=K method=HEX host=HEX path=HEX query=HEX body=HEX agent=HEX
      key=HEX auth=A exposed=0|1 status=N answer=HEX
      (kind: zones, records, change, create or other; key: the key id the call named;
      every account's secret and the token of a login_token are masked as ***; auth: ok,
      none, bad-key, bad-signature, expired, nonce-used, locked, blocked or bad-agent;
      exposed: a signing provider's secret appeared anywhere in the request; answer: the
      provider's error code, empty on success)
The signing checks are tested against the providers' published examples by
`dns_api_sim.py --self-test`.
"""

import binascii
import calendar
import email.utils
import hashlib
import hmac
import ipaddress
import json
import re
import sys
import threading
import time
import urllib.parse
import uuid

API_HOSTS = {
    "api.cloudflare.com": "cloudflare",
    "dnsapi.cn": "dnspod",
    "alidns.aliyuncs.com": "alidns",
    "dnspod.tencentcloudapi.com": "tencentcloud",
    "dns.myhuaweicloud.com": "huaweicloud",
}
PROVIDERS = tuple(API_HOSTS.values())
KINDS = ("zones", "records", "change", "create")
CALL_LOG_LIMIT = 1000
BODY_LIMIT = 1 << 20

# The demo accounts' credentials: (key id, secret).
DEMO_KEYS = {
    "cloudflare": ("", "KivoDemoCloudflareToken0123456789abcdefg"),
    "dnspod": ("420001", "kivodemodnspodtoken0123456789abc"),
    "alidns": ("LTAIKivoDemoAccessKey", "KivoDemoAccessKeySecret0123456789"),
    "tencentcloud": ("AKIDKivoDemoSecretId0123456789abcdef", "KivoDemoSecretKey0123456789abcd"),
    "huaweicloud": ("KIVODEMOACCESSKEY000", "KivoDemoHuaweiSecretKey0000000000000000000"),
}
DEMO_ZONES = ("kivo.example", "example.com.cn", "mykivo.example")
KEPT_LINE = {"dnspod": "电信", "tencentcloud": "电信", "alidns": "telecom",
             "huaweicloud": "Dianxin", "cloudflare": ""}
DEFAULT_LINE = {"dnspod": "默认", "tencentcloud": "默认", "alidns": "default",
                "huaweicloud": "default_view", "cloudflare": ""}
DEFAULT_TTL = {"cloudflare": 1, "dnspod": 600, "alidns": 600, "tencentcloud": 600,
               "huaweicloud": 300}
# DNSPod's lines and their ids (Tencent's API knows the same).
DNSPOD_LINES = {"默认": "0", "电信": "10=0", "联通": "10=1", "教育网": "10=2", "移动": "10=3",
                "境外": "3=0"}


def demo_records(provider):
    kept = "kept.kivo.example A 192.0.2.20 ttl=%d" % (1 if provider == "cloudflare" else 120)
    kept += " proxied=1" if provider == "cloudflare" else " line=" + KEPT_LINE[provider]
    return ["home.kivo.example A 192.0.2.10", "home.kivo.example AAAA 2001:db8::10", kept,
            "kivo.example A 192.0.2.1", "a.b.example.com.cn A 198.51.100.30",
            "www.example.com.cn AAAA 2001:db8::30"]


# --- signing, as plain functions over texts (the self-test runs them on published examples)

def sha256_hex(data):
    return hashlib.sha256(data if isinstance(data, bytes) else data.encode("utf-8")).hexdigest()


def hmac_sha256(key, text):
    key = key if isinstance(key, bytes) else key.encode("utf-8")
    return hmac.new(key, text.encode("utf-8"), hashlib.sha256).digest()


def rfc3986(data):
    return urllib.parse.quote(data, safe="-_.~")


def query_pairs(query):
    """The query's (name, value) pairs, percent-decoded; "+" stays "+" (RFC 3986)."""
    pairs = []
    for item in query.split("&") if query else []:
        name, _, value = item.partition("=")
        pairs.append((urllib.parse.unquote_to_bytes(name), urllib.parse.unquote_to_bytes(value)))
    return pairs


def canonical_query(pairs):
    return "&".join(sorted("%s=%s" % (rfc3986(n), rfc3986(v)) for n, v in pairs))


def canonical_request(method, uri, query, headers, signed, payload_hash):
    """Method, URI, query, "name:value" lines of the signed headers (sorted), an empty line,
    the signed names, the payload's hash: the form that ACS3, TC3 and SDK signing share."""
    lines = "".join("%s:%s\n" % (name, headers.get(name, "")) for name in signed)
    return "\n".join([method, uri, query, lines, ";".join(signed), payload_hash])


def acs3_signature(secret, canonical):
    string_to_sign = "ACS3-HMAC-SHA256\n" + sha256_hex(canonical)
    return hmac_sha256(secret, string_to_sign).hex(), string_to_sign


def tc3_signature(secret, timestamp, service, canonical):
    date = time.strftime("%Y-%m-%d", time.gmtime(timestamp))
    scope = "%s/%s/tc3_request" % (date, service)
    string_to_sign = "TC3-HMAC-SHA256\n%d\n%s\n%s" % (timestamp, scope, sha256_hex(canonical))
    key = hmac_sha256("TC3" + secret, date)
    key = hmac.new(key, service.encode(), hashlib.sha256).digest()
    key = hmac.new(key, b"tc3_request", hashlib.sha256).digest()
    return hmac.new(key, string_to_sign.encode(), hashlib.sha256).hexdigest(), scope


def sdk_canonical_uri(path):
    uri = "/".join(rfc3986(urllib.parse.unquote_to_bytes(s)) for s in path.split("/"))
    return uri if uri.endswith("/") else uri + "/"


def sdk_signature(secret, sdk_date, canonical):
    string_to_sign = "SDK-HMAC-SHA256\n%s\n%s" % (sdk_date, sha256_hex(canonical))
    return hmac_sha256(secret, string_to_sign).hex()


def self_test():
    """The providers' published examples; returns the failures' descriptions."""
    failures = []

    def expect(what, got, wanted):
        if got != wanted:
            failures.append("%s: got %s, want %s" % (what, got, wanted))

    empty_hash = sha256_hex(b"")
    acs3_headers = {
        "host": "ecs.cn-shanghai.aliyuncs.com", "x-acs-action": "RunInstances",
        "x-acs-content-sha256": empty_hash, "x-acs-date": "2023-10-26T10:22:32Z",
        "x-acs-signature-nonce": "3156853299f313e23d1673dc12e1703d",
        "x-acs-version": "2014-05-26"}
    canonical = canonical_request(
        "POST", "/", canonical_query(query_pairs(
            "RegionId=cn-shanghai&ImageId=win2019_1809_x64_dtc_zh-cn_40G_alibase_20230811.vhd")),
        acs3_headers, sorted(acs3_headers), empty_hash)
    expect("ACS3 canonical request hash", sha256_hex(canonical),
           "7ea06492da5221eba5297e897ce16e55f964061054b7695beedaac1145b1e259")
    expect("ACS3 signature", acs3_signature("YourAccessKeySecret", canonical)[0],
           "06563a9e1b43f5dfe96b81484da74bceab24a1d853912eee15083a6f0f3283c0")

    body = b'{"Limit": 1, "Filters": [{"Values": ["\\u672a\\u547d\\u540d"], "Name": "instance-name"}]}'
    expect("TC3 body hash", sha256_hex(body),
           "35e9c5b0e3ae67532d3c9f17ead6c90222632e5b1ff7f6e89887f1398934f064")
    canonical = canonical_request(
        "POST", "/", "", {"content-type": "application/json; charset=utf-8",
                          "host": "cvm.tencentcloudapi.com"},
        ["content-type", "host"], sha256_hex(body))
    expect("TC3 canonical request hash", sha256_hex(canonical),
           "5ffe6a04c0664d6b969fab9a13bdab201d63ee709638e2749d62a09ca18d7031")
    signature, scope = tc3_signature("Gu5t9xGARNpq86cd98joQYCN3EXAMPLE", 1551113065, "cvm",
                                     canonical)
    expect("TC3 scope", scope, "2019-02-25/cvm/tc3_request")
    expect("TC3 signature", signature,
           "72e494ea809ad7a8c8f7a4507b9bddcbaa8e581f516e8da2f66e2c5a96525168")

    sdk_headers = {"content-type": "application/json", "host": "service.region.example.com",
                   "x-sdk-date": "20191115T033655Z"}
    canonical = canonical_request(
        "GET", sdk_canonical_uri("/v1/77b6a44cba5143ab91d13ab9a8ff44fd/vpcs"),
        canonical_query(query_pairs("marker=13551d6b-755d-4757-b956-536f674975c0&limit=2")),
        sdk_headers, sorted(sdk_headers), empty_hash)
    expect("SDK canonical request hash", sha256_hex(canonical),
           "b25362e603ee30f4f25e7858e8a7160fd36e803bb2dfe206278659d71a9bcd7a")
    expect("SDK signature", sdk_signature("MFyfvK41ba2giqM7Uio6PznpdUKGpownRZlmVmHc",
                                          "20191115T033655Z", canonical),
           "7be6668032f70418fcc22abc52071e57aff61b84a1d2381bb430d6870f4f6ebe")
    return failures


# --- accounts, zones and records

def plain_name(name):
    return name.strip().rstrip(".").lower()


class Record:
    def __init__(self, record_id, name, record_type, value, ttl, line, proxied):
        self.id, self.name, self.type, self.value = record_id, name, record_type, value
        self.ttl, self.line, self.proxied = ttl, line, proxied

    def relative(self, zone):
        return "@" if self.name == zone.name else self.name[:-len(zone.name) - 1]


class Zone:
    def __init__(self, zone_id, name):
        self.id, self.name, self.records = zone_id, name, []

    def record(self, record_id):
        return next((r for r in self.records if str(r.id) == str(record_id)), None)


class Account:
    def __init__(self, provider, key, secret):
        self.provider, self.key, self.secret, self.zones = provider, key, secret, []

    def zone_of(self, name):
        """The longest zone that ends the name (label by label), or None."""
        candidates = [z for z in self.zones if name == z.name or name.endswith("." + z.name)]
        return max(candidates, key=lambda z: len(z.name), default=None)


class ApiState:
    def __init__(self):
        self.lock = threading.Lock()
        self.reset()

    def reset(self):
        with self.lock:
            self.numbers = {p: 0 for p in PROVIDERS}
            self.accounts = {p: [] for p in PROVIDERS}
            self.failures = {}  # provider -> {"error", "kind", "times", "retry_after"}
            self.shift = 0
            self.calls = []
            self.nonces = {}  # Aliyun: (key, nonce) -> when it was seen
            self.login_failures = {}  # DNSPod: token id -> times of failed logins
            self.blocked_until = {}  # DNSPod: token id -> end of the block
            self.refusals = {}  # Huawei: AK -> refusals in a row
            self.locked_until = {}  # Huawei: AK -> end of the lock
            for provider in PROVIDERS:
                key, secret = DEMO_KEYS[provider]
                self.add_account(provider, key, secret, DEMO_ZONES, demo_records(provider))

    def now(self):
        return time.time() + self.shift

    def new_id(self, provider, kind):
        self.numbers[provider] += 1
        number = self.numbers[provider]
        if provider in ("cloudflare", "huaweicloud"):
            return hashlib.md5(("%s %s %d" % (provider, kind, number)).encode()).hexdigest()
        if provider == "tencentcloud":
            return 90000 + number if kind == "zone" else (1 << 53) + 2 * number + 1
        if provider == "alidns" and kind == "zone":
            return str(uuid.UUID(hashlib.md5(b"alidns %d" % number).hexdigest()))
        return (80000 if kind == "zone" else 1900000000 if provider == "dnspod"
                else 1890000000000000000) + number

    def add_account(self, provider, key, secret, zone_names, record_specs):
        account = Account(provider, key, secret)
        for name in zone_names:
            account.zones.append(Zone(self.new_id(provider, "zone"), plain_name(name)))
        for spec in record_specs:
            words = spec.split()
            if len(words) < 3:
                raise ValueError("a record is NAME TYPE VALUE [ttl=N] [line=TEXT] [proxied=1]")
            options = dict(w.split("=", 1) for w in words[3:])
            name = plain_name(words[0])
            zone = account.zone_of(name)
            if zone is None:
                raise ValueError("no zone of the account holds " + name)
            zone.records.append(Record(
                self.new_id(provider, "record"), name, words[1].upper(), words[2],
                int(options.get("ttl", DEFAULT_TTL[provider])),
                options.get("line", DEFAULT_LINE[provider]), options.get("proxied") == "1"))
        same = (lambda a: a.secret == secret) if provider == "cloudflare" else (lambda a: a.key == key)
        self.accounts[provider] = [a for a in self.accounts[provider] if not same(a)] + [account]

    def owner_of(self, provider, zone_name):
        """The account of the provider that has this zone, or None."""
        return next((a for a in self.accounts[provider]
                     if any(z.name == zone_name for z in a.zones)), None)

    def take_failure(self, provider, kind):
        failure = self.failures.get(provider)
        if failure is None or failure["kind"] not in (None, kind):
            return None
        if failure["times"] is not None:
            failure["times"] -= 1
            if failure["times"] <= 0:
                del self.failures[provider]
        return failure


STATE = ApiState()


def reset():
    STATE.reset()


def tls_hosts():
    return list(API_HOSTS)


def demo_text():
    return "\n".join("API demo account at %s (%s): key %s, secret %s, domain home.kivo.example"
                     % (host, provider, DEMO_KEYS[provider][0] or "-", DEMO_KEYS[provider][1])
                     for host, provider in API_HOSTS.items())


# --- requests and replies

class Request:
    def __init__(self, handler, provider, body):
        self.handler, self.provider, self.body = handler, provider, body
        self.method = handler.command
        self.path, _, self.query = handler.origin_form().partition("?")
        self.client = handler.client_address[0]
        self.kind, self.key, self.auth, self.masked = "other", "", "none", set()

    def header(self, name):
        value = self.handler.headers.get(name)
        return None if value is None else value.encode("latin-1").decode("utf-8", "replace")

    def signed_headers(self, names):
        return {n: (self.header(n) or "").strip() for n in names}


class Reply:
    def __init__(self, status, body, content_type="application/json", headers=(), answer=""):
        self.status, self.body, self.content_type = status, body, content_type
        self.headers, self.answer = list(headers), answer


def json_reply(status, value, answer="", headers=(), ascii_only=False):
    body = json.dumps(value, ensure_ascii=ascii_only, separators=(",", ":")).encode("utf-8")
    return Reply(status, body, headers=headers, answer=answer)


def gateway_page(status):
    reason = {500: "Internal Server Error", 502: "Bad Gateway", 503: "Service Unavailable"}
    page = "<html><head><title>%d %s</title></head><body><center><h1>%d %s</h1></center>" \
           "</body></html>" % (status, reason[status], status, reason[status])
    return Reply(status, page.encode(), "text/html", answer=str(status))


def read_body(handler):
    if "chunked" in handler.headers.get("Transfer-Encoding", "").lower():
        body = b""
        while len(body) <= BODY_LIMIT:
            size = int(handler.rfile.readline().split(b";")[0].strip() or b"0", 16)
            if size == 0:
                handler.rfile.readline()
                break
            body += handler.rfile.read(size)
            handler.rfile.readline()
        return body
    length = int(handler.headers.get("Content-Length") or 0)
    return handler.rfile.read(min(length, BODY_LIMIT)) if length > 0 else b""


def serve(handler):
    """Answers one request for a host of API_HOSTS as that provider's API would."""
    provider = API_HOSTS[handler.host()]
    if not handler.tunnel:
        send(handler, Reply(403, b"this API answers over HTTPS only", "text/plain"))
        return
    request = Request(handler, provider, read_body(handler))
    with STATE.lock:
        try:
            reply = PLAYERS[provider](request)
        except (ValueError, KeyError, TypeError, AttributeError) as error:  # unreadable
            reply = Reply(400, ("unreadable request: %r" % error).encode(), "text/plain",
                          answer="400")
        log_call(request, reply)
    send(handler, reply)


def send(handler, reply):
    handler.log_request(reply.status)
    handler.send_response_only(reply.status)
    handler.send_header("Server", handler.version_string())
    handler.send_header("Date", email.utils.formatdate(STATE.now(), usegmt=True))
    handler.send_header("Content-Type", reply.content_type)
    handler.send_header("Content-Length", str(len(reply.body)))
    handler.send_header("Connection", "close")
    for name, value in reply.headers:
        handler.send_header(name, value)
    handler.end_headers()
    handler.wfile.write(reply.body)
    handler.close_connection = True


def log_call(request, reply):
    if len(STATE.calls) >= CALL_LOG_LIMIT:
        return
    secrets = {a.secret.encode() for accounts in STATE.accounts.values() for a in accounts}
    secrets |= {s.encode() for s in request.masked}
    secrets.discard(b"")

    def masked(data):
        for secret in sorted(secrets, key=len, reverse=True):
            for form in (secret, rfc3986(secret).encode()):
                data = data.replace(form, b"***")
        return data

    exposed = False
    if request.provider in ("alidns", "tencentcloud", "huaweicloud"):
        seen = b"\n".join([request.path.encode("latin-1"), request.query.encode("latin-1"),
                           request.body, bytes(request.handler.headers)])
        exposed = any(a.secret.encode() in seen or rfc3986(a.secret.encode()).encode() in seen
                      for a in STATE.accounts[request.provider])
    STATE.calls.append({
        "provider": request.provider, "kind": request.kind, "auth": request.auth,
        "method": request.method.encode("latin-1"),
        "host": (request.header("Host") or "").encode("utf-8"),
        "path": masked(request.path.encode("latin-1")),
        "query": masked(request.query.encode("latin-1")), "body": masked(request.body),
        "agent": (request.header("User-Agent") or "").encode("utf-8"),
        "key": masked(request.key.encode("utf-8")), "exposed": exposed,
        "status": reply.status, "answer": reply.answer.encode("utf-8")})


def forced_reply(request, failure):
    """The reply a failure set on demand gives, or None."""
    if failure is None:
        return None
    name = failure["error"]
    if name in ("500", "502", "503"):
        return gateway_page(int(name))
    return FAILURES[request.provider][name](request, failure)


def conclude(request, kind, refusal, run):
    """A failure set on demand, else the refusal of the credentials, else the call itself."""
    request.kind = kind
    forced = forced_reply(request, STATE.take_failure(request.provider, kind))
    if forced is not None:
        return forced
    return refusal if refusal is not None else run()


def valid_address(record_type, value):
    try:
        address = ipaddress.ip_address(value)
    except ValueError:
        return record_type not in ("A", "AAAA")
    return record_type == ("A" if address.version == 4 else "AAAA")


def other_zone_owner(provider, account, zone_name):
    owner = STATE.owner_of(provider, zone_name)
    return owner is not None and owner is not account


def beijing_time():
    return time.strftime("%Y-%m-%d %H:%M:%S", time.gmtime(STATE.now() + 8 * 3600))


# --- Cloudflare

def cf_error(status, code, message, chain=None, headers=()):
    error = {"code": code, "message": message}
    if chain:
        error["error_chain"] = [{"code": c, "message": m} for c, m in chain]
    return json_reply(status, {"success": False, "errors": [error], "messages": [],
                               "result": None}, str(code), headers)


def cf_ok(result, listed=None, page=1, per_page=20):
    value = {"success": True, "errors": [], "messages": [], "result": result}
    if listed is not None:
        value["result_info"] = {"page": page, "per_page": per_page, "count": len(result),
                                "total_count": listed, "total_pages": max(1, -(-listed // per_page))}
    return json_reply(200, value)


def cf_bad_header():
    return cf_error(400, 6003, "Invalid request headers",
                    [(6111, "Invalid format for Authorization header")])


def cf_zone_json(zone):
    return {"id": zone.id, "name": zone.name, "status": "active", "paused": False,
            "type": "full", "development_mode": 0, "name_servers":
            ["ns1.kivo.example", "ns2.kivo.example"]}


def cf_record_json(zone, record):
    return {"id": record.id, "zone_id": zone.id, "zone_name": zone.name, "name": record.name,
            "type": record.type, "content": record.value, "proxiable": True,
            "proxied": record.proxied, "ttl": record.ttl, "locked": False, "meta": {},
            "comment": None, "tags": [], "created_on": "2026-01-01T00:00:00.000000Z",
            "modified_on": "2026-01-01T00:00:00.000000Z"}


def cf_page(values, records):
    per_page = int(values.get("per_page", "100" if records else "20"))
    page = int(values.get("page", "1"))
    return page, per_page


def play_cloudflare(request):
    authorization = request.header("Authorization")
    match = re.fullmatch(r"Bearer ([!-~]+)", (authorization or "").strip())
    token = match.group(1) if match else ""
    request.masked.add(token)
    account = next((a for a in STATE.accounts["cloudflare"] if token and a.secret == token), None)
    request.auth = "none" if authorization is None else "ok" if account else "bad-key"
    refusal = None if account else cf_bad_header()
    values = {k.decode(): v.decode("utf-8", "replace") for k, v in query_pairs(request.query)}
    parts = request.path.rstrip("/").split("/")
    if parts[:4] != ["", "client", "v4", "zones"]:
        return conclude(request, "other", refusal,
                        lambda: cf_error(400, 7000, "No route for that URI"))
    if len(parts) == 4 and request.method == "GET":
        def zones():
            page, per_page = cf_page(values, False)
            found = [z for z in account.zones
                     if "name" not in values or z.name == plain_name(values["name"])]
            shown = found[(page - 1) * per_page:page * per_page]
            return cf_ok([cf_zone_json(z) for z in shown], len(found), page, per_page)
        return conclude(request, "zones", refusal, zones)
    if len(parts) < 6 or parts[5] != "dns_records":
        return conclude(request, "other", refusal,
                        lambda: cf_error(400, 7000, "No route for that URI"))
    kind = {("GET", 6): "records", ("POST", 6): "create", ("PATCH", 7): "change",
            ("PUT", 7): "change"}.get((request.method, len(parts)), "other")

    def run():
        zone = next((z for z in account.zones if z.id == parts[4]), None)
        if zone is None:
            if any(z.id == parts[4] for a in STATE.accounts["cloudflare"] for z in a.zones):
                return cf_error(403, 10000, "Authentication error")
            return cf_error(400, 7003, "Could not route to %s, perhaps your object identifier "
                            "is invalid?" % request.path, [(7000, "No route for that URI")])
        if kind == "records":
            page, per_page = cf_page(values, True)
            found = [r for r in zone.records
                     if ("type" not in values or r.type == values["type"].upper())
                     and ("name" not in values or r.name == plain_name(values["name"]))]
            shown = found[(page - 1) * per_page:page * per_page]
            return cf_ok([cf_record_json(zone, r) for r in shown], len(found), page, per_page)
        if kind == "other":
            return cf_error(405, 10405, "Method %s not allowed" % request.method)
        fields = json.loads(request.body.decode("utf-8"))
        if not isinstance(fields, dict):
            return cf_error(400, 9207, "Request body is invalid.")
        record = zone.record(parts[6]) if kind == "change" else None
        if kind == "change" and record is None:
            return cf_error(404, 81044, "Record does not exist.")
        if kind == "create" and not all(k in fields for k in ("type", "name", "content")):
            return cf_error(400, 9000, "DNS name, type and content are required.")
        record_type = str(fields.get("type", record.type if record else "")).upper()
        content = str(fields.get("content", record.value if record else ""))
        if not valid_address(record_type, content):
            return cf_error(400, 9005, "Content for %s record is invalid. Must be a valid %s "
                            "address." % (record_type, "IPv4" if record_type == "A" else "IPv6"))
        name = plain_name(str(fields.get("name", record.name if record else "")))
        if name != zone.name and not name.endswith("." + zone.name):
            name = name + "." + zone.name  # a name relative to the zone, as the API takes it
        if kind == "create":
            if any(r.name == name and r.type == record_type and r.value == content
                   for r in zone.records):
                return cf_error(400, 81058, "An identical record already exists.")
            record = Record(STATE.new_id("cloudflare", "record"), name, record_type, content,
                            int(fields.get("ttl", 1)), "", bool(fields.get("proxied", False)))
            zone.records.append(record)
        else:
            record.name, record.type, record.value = name, record_type, content
            record.ttl = int(fields.get("ttl", record.ttl))
            record.proxied = bool(fields.get("proxied", record.proxied))
        return cf_ok(cf_record_json(zone, record))
    return conclude(request, kind, refusal, run)


# --- DNSPod (dnsapi.cn)

DNSPOD_MESSAGES = {
    "1": ("操作已经成功完成", "Action completed successful"),
    "-1": ("登陆失败", "Login failed"),
    "-2": ("API使用超出限制", "API usage is limited"),
    "-8": ("登录失败次数过多，帐号被暂时封禁", "Login failed too many times, account is blocked"),
    "2": ("只允许POST方法", "Only POST method is allowed"),
    "6": ("域名ID错误", "Domain id invalid"),
    "7": ("不是域名所有者或没有权限", "You are not the domain owner or have no permission"),
    "8": ("记录ID错误", "Record id invalid"),
    "9": ("不是域名所有者", "You are not the domain owner"),
    "10": ("没有记录", "No records"),
    "21": ("域名被锁定", "Domain is locked"),
    "26": ("记录线路错误", "Record line invalid"),
    "27": ("记录类型错误", "Record type invalid"),
    "34": ("记录值非法", "Record value invalid"),
    "104": ("记录已经存在", "Domain record already exists"),
}
DNSPOD_NO_DOMAINS = ("没有任何域名", "No domains")


def to_xml(name, value):
    if isinstance(value, dict):
        inner = "".join(to_xml(k, v) for k, v in value.items())
    elif isinstance(value, list):
        inner = "".join(to_xml("item", v) for v in value)
    else:
        inner = "" if value is None else str(value).replace("&", "&amp;").replace("<", "&lt;")
    return "<%s>%s</%s>" % (name, inner, name)


def dnspod_reply(form, code, extra=None, message=None):
    chinese = form.get("lang") == "cn"
    text = message or DNSPOD_MESSAGES.get(code, ("未知错误", "Unknown error"))
    value = {"status": {"code": code, "message": text[0] if chinese else text[1],
                        "created_at": beijing_time()}}
    value.update(extra or {})
    answer = "" if code == "1" else code
    if form.get("format") != "json":
        body = '<?xml version="1.0" encoding="UTF-8"?>' + to_xml("dnspod", value)
        return Reply(200, body.encode("utf-8"), "text/xml; charset=utf-8", answer=answer)
    return json_reply(200, value, answer, ascii_only=True)


def dnspod_agent_allowed(agent):
    """"Name/Version(e-mail)" as DNSPod writes the form, or "Name/Version (e-mail)" as its
    example; never a browser's."""
    mail = r"[^\s()@]+@[^\s()@]+\.[^\s()@]+"
    return not agent.startswith("Mozilla/") and re.fullmatch(
        r"[A-Za-z][\w .+-]*/\d[\w.+-]*\s*\(%s\)\s*" % mail, agent) is not None


def dnspod_record_json(zone, record):
    return {"id": str(record.id), "name": record.relative(zone), "line": record.line,
            "line_id": DNSPOD_LINES.get(record.line, "0"), "type": record.type,
            "ttl": str(record.ttl), "value": record.value, "weight": None, "mx": "0",
            "enabled": "1", "status": "enable", "monitor_status": "", "remark": "",
            "updated_on": beijing_time(), "use_aqb": "no"}


def dnspod_line(form):
    """The line a change names (record_line_id wins, as DNSPod says), or None."""
    if form.get("record_line_id"):
        return next((l for l, i in DNSPOD_LINES.items() if i == form["record_line_id"]), None)
    return form.get("record_line") if form.get("record_line") in DNSPOD_LINES else None


def play_dnspod(request):
    form = dict(urllib.parse.parse_qsl(request.body.decode("utf-8", "replace"),
                                       keep_blank_values=True))
    action = request.path.strip("/")
    kind = {"Domain.List": "zones", "Record.List": "records", "Record.Modify": "change",
            "Record.Ddns": "change", "Record.Create": "create"}.get(action, "other")
    token_id, _, token = form.get("login_token", "").partition(",")
    request.key = token_id
    request.masked.add(token)
    if request.method != "POST":
        request.kind = kind
        return dnspod_reply(form, "2")
    if not dnspod_agent_allowed(request.header("User-Agent") or ""):
        request.kind, request.auth = kind, "bad-agent"
        return Reply(403, b"<html><body>403 Forbidden: the User-Agent must name the program, "
                     b"its version and a contact e-mail address</body></html>", "text/html",
                     answer="403")
    now = STATE.now()
    account = next((a for a in STATE.accounts["dnspod"] if a.key == token_id), None)
    refusal = None
    if STATE.blocked_until.get(token_id, 0) > now:
        request.auth, refusal = "blocked", dnspod_reply(form, "-8")
    elif account is None or not token or account.secret != token:
        request.auth = "none" if "login_token" not in form else "bad-key"
        recent = [t for t in STATE.login_failures.get(token_id, []) if t > now - 300] + [now]
        STATE.login_failures[token_id] = recent
        if len(recent) >= 30:
            STATE.blocked_until[token_id] = now + 3600
        refusal = dnspod_reply(form, "-1")
    else:
        request.auth = "ok"
        STATE.login_failures.pop(token_id, None)
    empty_ok = form.get("error_on_empty") == "no"

    def domain():
        """(zone, None) for the domain the form names, or (None, the error's code)."""
        if form.get("domain_id"):
            zone = next((z for z in account.zones if str(z.id) == form["domain_id"]), None)
            return (zone, None) if zone else (None, "6")
        name = plain_name(form.get("domain", ""))
        zone = next((z for z in account.zones if z.name == name), None)
        if zone:
            return zone, None
        return None, ("9" if kind == "records" else "7") if other_zone_owner(
            "dnspod", account, name) else "6"

    def run():
        if kind == "zones":
            domains = [{"id": z.id, "status": "enable", "grade": "DP_Free", "group_id": "1",
                        "searchengine_push": "yes", "is_mark": "no", "ttl": "600",
                        "cname_speedup": "disable", "remark": "", "punycode": z.name,
                        "ext_status": "", "name": z.name, "grade_title": "免费套餐",
                        "is_vip": "no", "owner": "demo@kivo.example", "records": str(len(z.records))}
                       for z in account.zones]
            if not domains and not empty_ok:
                return dnspod_reply(form, "9", message=DNSPOD_NO_DOMAINS)
            return dnspod_reply(form, "1", {"info": {"domain_total": len(domains),
                                                     "all_total": len(domains),
                                                     "mine_total": len(domains)},
                                            "domains": domains})
        if kind == "other":
            return dnspod_reply(form, "-99", message=("此功能暂停开放，请稍候重试",
                                                      "the simulator does not play " + action))
        zone, error = domain()
        if error:
            return dnspod_reply(form, error)
        if kind == "records":
            found = [r for r in zone.records
                     if (not form.get("sub_domain") or r.relative(zone) == form["sub_domain"].lower())
                     and (not form.get("record_type") or r.type == form["record_type"].upper())]
            if not found and not empty_ok:
                return dnspod_reply(form, "10")
            return dnspod_reply(form, "1", {
                "domain": {"id": zone.id, "name": zone.name, "punycode": zone.name,
                           "grade": "DP_Free", "owner": "demo@kivo.example", "ttl": 600},
                "info": {"sub_domains": str(len(zone.records)), "record_total": str(len(found)),
                         "records_num": str(len(found))},
                "records": [dnspod_record_json(zone, r) for r in found]})
        line = dnspod_line(form)
        if line is None:
            return dnspod_reply(form, "26")
        sub = (form.get("sub_domain") or "@").lower()
        name = zone.name if sub == "@" else sub + "." + zone.name
        value = form.get("value") or (request.client if action == "Record.Ddns" else "")
        if kind == "change":
            record = zone.record(form.get("record_id", ""))
            if record is None:
                return dnspod_reply(form, "8")
            record_type = record.type if action == "Record.Ddns" else form.get("record_type", "").upper()
        else:
            record_type = form.get("record_type", "").upper()
        if record_type not in ("A", "AAAA", "CNAME", "MX", "TXT", "NS"):
            return dnspod_reply(form, "27")
        if not valid_address(record_type, value):
            return dnspod_reply(form, "34")
        if kind == "create":
            if any(r.name == name and r.type == record_type and r.value == value
                   and r.line == line for r in zone.records):
                return dnspod_reply(form, "104")
            record = Record(STATE.new_id("dnspod", "record"), name, record_type, value,
                            int(form.get("ttl") or 600), line, False)
            zone.records.append(record)
            return dnspod_reply(form, "1", {"record": {"id": str(record.id), "name": sub,
                                                       "status": "enable"}})
        record.name, record.type, record.value, record.line = name, record_type, value, line
        if action == "Record.Modify" or form.get("ttl"):
            record.ttl = int(form.get("ttl") or 600)
        return dnspod_reply(form, "1", {"record": {"id": record.id, "name": sub,
                                                   "value": value, "status": "enable"}})
    return conclude(request, kind, refusal, run)


# --- Aliyun (alidns.aliyuncs.com)

ALIDNS_ERRORS = {
    "IncompleteSignature": (400, "The request signature does not conform to Aliyun standards."),
    "InvalidAccessKeyId.NotFound": (404, "Specified access key is not found."),
    "InvalidTimeStamp.Format": (400, "Specified time stamp or date value is not well formatted."),
    "InvalidTimeStamp.Expired": (400, "Specified time stamp or date value is expired."),
    "SignatureNonceUsed": (400, "Specified signature nonce was used already."),
    "SignatureDoesNotMatch": (400, "Specified signature is not matched with our calculation."),
    "InvalidVersion": (400, "Specified parameter Version is not valid."),
    "InvalidAction.NotFound": (404, "Specified api is not found, please check your url and method."),
    "Forbidden.RAM": (400, "User not authorized to operate on the specified resource, or this "
                           "API doesn't support RAM."),
    "IncorrectDomainUser": (400, "The domain name belongs to other users. Transfer the domain "
                                 "name to the current user and then try the binding and setting "
                                 "actions."),
    "InvalidDomainName.NoExist": (400, "The domain name does not exist. Refresh the page and "
                                       "try again."),
    "DomainRecordNotBelongToUser": (400, "The DNS record does not exist or does not belong to "
                                         "you."),
    "DomainRecordDuplicate": (400, "The DNS record already exists."),
    "DomainRecordLocked": (400, "The DNS record is locked."),
    "Throttling.User": (400, "Request was denied due to user flow control."),
    "InvalidParameter": (400, "The specified parameter is invalid."),
}
ALIDNS_SIGNED = ("host", "x-acs-action", "x-acs-content-sha256", "x-acs-date",
                 "x-acs-signature-nonce", "x-acs-version")
ALIDNS_TOLERANCE_S = 15 * 60  # InvalidTimeStamp.Expired beyond this, as Aliyun's error table says


def alidns_error(code, detail=""):
    status, message = ALIDNS_ERRORS[code]
    request_id = str(uuid.uuid4()).upper()
    return json_reply(status, {
        "RequestId": request_id, "HostId": "alidns.aliyuncs.com", "Code": code,
        "Message": message + detail,
        "Recommend": "https://api.aliyun.com/troubleshoot?q=%s&product=Alidns&requestId=%s"
                     % (code, request_id)}, code)


def alidns_ok(value):
    value["RequestId"] = str(uuid.uuid4()).upper()
    return json_reply(200, value)


def alidns_record_json(zone, record):
    return {"DomainName": zone.name, "RecordId": str(record.id), "RR": record.relative(zone),
            "Type": record.type, "Value": record.value, "TTL": record.ttl, "Line": record.line,
            "Status": "ENABLE", "Locked": False, "Weight": 1,
            "CreateTimestamp": 1767225600000, "UpdateTimestamp": 1767225600000}


def alidns_verdict(request, account):
    """The signature's refusal (and request.auth), or None when it holds."""
    match = re.fullmatch(r"ACS3-HMAC-SHA256\s+Credential=([^,\s]*),\s*SignedHeaders=([^,\s]*),"
                         r"\s*Signature=([0-9a-fA-F]*)", (request.header("Authorization") or "").strip())
    if not match:
        request.auth = "none" if request.header("Authorization") is None else "bad-signature"
        return alidns_error("IncompleteSignature")
    signed = match.group(2).lower().split(";")
    if account is None:
        request.auth = "bad-key"
        return alidns_error("InvalidAccessKeyId.NotFound")
    if any(name not in signed or request.header(name) is None for name in ALIDNS_SIGNED):
        request.auth = "bad-signature"
        return alidns_error("IncompleteSignature", " Sign these headers: " + ";".join(ALIDNS_SIGNED))
    try:
        sent = calendar.timegm(time.strptime(request.header("x-acs-date"), "%Y-%m-%dT%H:%M:%SZ"))
    except ValueError:
        request.auth = "expired"
        return alidns_error("InvalidTimeStamp.Format")
    now = STATE.now()
    if abs(sent - now) > ALIDNS_TOLERANCE_S:
        request.auth = "expired"
        return alidns_error("InvalidTimeStamp.Expired")
    STATE.nonces = {k: t for k, t in STATE.nonces.items() if t > now - ALIDNS_TOLERANCE_S}
    nonce = (account.key, request.header("x-acs-signature-nonce"))
    if nonce in STATE.nonces:
        request.auth = "nonce-used"
        return alidns_error("SignatureNonceUsed")
    STATE.nonces[nonce] = now
    canonical = canonical_request(
        request.method, "/", canonical_query(query_pairs(request.query)),
        request.signed_headers(signed), sorted(signed), sha256_hex(request.body))
    signature, string_to_sign = acs3_signature(account.secret, canonical)
    if (request.header("x-acs-content-sha256") != sha256_hex(request.body)
            or not hmac.compare_digest(signature, match.group(3).lower())):
        request.auth = "bad-signature"
        return alidns_error("SignatureDoesNotMatch", " server string to sign is:"
                            + string_to_sign.replace("\n", "\\n"))
    request.auth = "ok"
    return None


def play_alidns(request):
    params = {k.decode(): v.decode("utf-8", "replace") for k, v in query_pairs(request.query)}
    if "x-www-form-urlencoded" in (request.header("Content-Type") or ""):
        params.update(urllib.parse.parse_qsl(request.body.decode("utf-8", "replace")))
    action = request.header("x-acs-action") or ""
    kind = {"DescribeDomains": "zones", "DescribeSubDomainRecords": "records",
            "UpdateDomainRecord": "change", "AddDomainRecord": "create"}.get(action, "other")
    match = re.search(r"Credential=([^,\s]*)", request.header("Authorization") or "")
    request.key = match.group(1) if match else ""
    account = next((a for a in STATE.accounts["alidns"] if a.key == request.key), None)
    refusal = alidns_verdict(request, account)

    def zone_named(name):
        zone = next((z for z in account.zones if z.name == name), None)
        if zone is None:
            return None, alidns_error("IncorrectDomainUser" if other_zone_owner(
                "alidns", account, name) else "InvalidDomainName.NoExist")
        return zone, None

    def record_in_account(record_id):
        return next(((z, z.record(record_id)) for z in account.zones if z.record(record_id)),
                    (None, None))

    def run():
        if request.header("x-acs-version") != "2015-01-09":
            return alidns_error("InvalidVersion")
        if kind == "other":
            return alidns_error("InvalidAction.NotFound", " (the simulator does not play %s)" % action)
        if kind == "zones":
            word = params.get("KeyWord", "").lower()
            found = [z for z in account.zones if word in z.name]
            return alidns_ok({"TotalCount": len(found), "PageNumber": 1, "PageSize": 20,
                              "Domains": {"Domain": [
                                  {"DomainId": z.id, "DomainName": z.name, "PunyCode": z.name,
                                   "AliDomain": False, "RecordCount": len(z.records),
                                   "VersionCode": "mianfei", "VersionName": "Alibaba Cloud DNS"}
                                  for z in found]}})
        if kind == "records":
            sub = plain_name(params["SubDomain"])
            domain = plain_name(params.get("DomainName") or ".".join(sub.split(".")[-2:]))
            zone, error = zone_named(domain)
            if error:
                return error
            found = [r for r in zone.records if r.name == sub
                     and (not params.get("Type") or r.type == params["Type"].upper())]
            return alidns_ok({"TotalCount": len(found), "PageNumber": 1, "PageSize": 20,
                              "DomainRecords": {"Record": [alidns_record_json(zone, r)
                                                           for r in found]}})
        rr, record_type, value = params["RR"].lower(), params["Type"].upper(), params["Value"]
        line, ttl = params.get("Line") or "default", int(params.get("TTL") or 600)
        if not valid_address(record_type, value):
            return alidns_error("InvalidParameter", " Value")
        if kind == "change":
            zone, record = record_in_account(params["RecordId"])
            if record is None:
                return alidns_error("DomainRecordNotBelongToUser")
            name = zone.name if rr == "@" else rr + "." + zone.name
            if (record.name, record.type, record.value) == (name, record_type, value):
                return alidns_error("DomainRecordDuplicate")
            record.name, record.type, record.value, record.ttl, record.line = \
                name, record_type, value, ttl, line
        else:
            zone, error = zone_named(plain_name(params["DomainName"]))
            if error:
                return error
            name = zone.name if rr == "@" else rr + "." + zone.name
            if any((r.name, r.type, r.value, r.line) == (name, record_type, value, line)
                   for r in zone.records):
                return alidns_error("DomainRecordDuplicate")
            record = Record(STATE.new_id("alidns", "record"), name, record_type, value, ttl,
                            line, False)
            zone.records.append(record)
        return alidns_ok({"RecordId": str(record.id)})
    return conclude(request, kind, refusal, run)


# --- Tencent Cloud DNSPod (API 3.0)

TENCENT_ERRORS = {
    "AuthFailure.InvalidAuthorization": "请求头部的 Authorization 不符合腾讯云标准。",
    "AuthFailure.InvalidSecretId": "密钥非法（不是云 API 密钥类型）。",
    "AuthFailure.SecretIdNotFound": "密钥不存在。请在控制台检查密钥是否已被删除或者禁用，如状态正常，"
                                    "请检查密钥是否填写正确，注意前后不得有空格。",
    "AuthFailure.SignatureExpire": "签名过期。Timestamp 和服务器时间相差不得超过五分钟，"
                                   "请检查本地时间是否和标准时间同步。",
    "AuthFailure.SignatureFailure": "签名错误。签名计算错误，请对照调用方式中的签名方法文档检查签名计算过程。",
    "AuthFailure.UnauthorizedOperation": "请求未授权。请参考 CAM 文档对鉴权的说明。",
    "InvalidAction": "接口不存在。",
    "NoSuchVersion": "接口版本不存在。",
    "InvalidParameter": "参数错误。",
    "InvalidParameterValue": "参数取值错误。",
    "InvalidParameterValue.DomainNotExists": "当前域名有误，请返回重新操作。",
    "InvalidParameter.RecordIdInvalid": "记录编号错误。",
    "InvalidParameter.RecordLineInvalid": "记录线路有误，请刷新页面后重试。",
    "InvalidParameter.DomainRecordExist": "记录已经存在，无需再次添加。",
    "ResourceNotFound.NoDataOfDomain": "域名列表为空。",
    "ResourceNotFound.NoDataOfRecord": "记录列表为空。",
    "FailedOperation.DomainIsLocked": "锁定域名不能进行此操作。",
    "RequestLimitExceeded": "请求的次数超过了频率限制。",
}
TENCENT_TOLERANCE_S = 5 * 60  # AuthFailure.SignatureExpire beyond this, as documented


def tencent_reply(value=None, code=None, detail=""):
    response = dict(value or {})
    if code:
        response["Error"] = {"Code": code, "Message": TENCENT_ERRORS[code] + detail}
    response["RequestId"] = str(uuid.uuid4())
    return json_reply(200, {"Response": response}, code or "")


def tencent_verdict(request, account):
    authorization = request.header("Authorization")
    match = re.fullmatch(r"TC3-HMAC-SHA256\s+Credential=([^/\s]*)/([^,\s]*),\s*"
                         r"SignedHeaders=([^,\s]*),\s*Signature=([0-9a-fA-F]*)",
                         (authorization or "").strip())
    timestamp = request.header("X-TC-Timestamp") or ""
    if not match or not timestamp.isdigit():
        request.auth = "none" if authorization is None else "bad-signature"
        return tencent_reply(code="AuthFailure.InvalidAuthorization")
    if account is None:
        request.auth = "bad-key"
        return tencent_reply(code="AuthFailure.SecretIdNotFound")
    if abs(int(timestamp) - STATE.now()) > TENCENT_TOLERANCE_S:
        request.auth = "expired"
        return tencent_reply(code="AuthFailure.SignatureExpire")
    signed = match.group(3).lower().split(";")
    if "content-type" not in signed or "host" not in signed:
        request.auth = "bad-signature"
        return tencent_reply(code="AuthFailure.InvalidAuthorization",
                             detail=" content-type 与 host 须参与签名。")
    headers = {n: v.lower() for n, v in request.signed_headers(signed).items()}
    query = request.query if request.method == "GET" else ""
    canonical = canonical_request(request.method, "/", query, headers, signed,
                                  sha256_hex(request.body))
    signature, scope = tc3_signature(account.secret, int(timestamp), "dnspod", canonical)
    if match.group(2) != scope or not hmac.compare_digest(signature, match.group(4).lower()):
        request.auth = "bad-signature"
        return tencent_reply(code="AuthFailure.SignatureFailure")
    request.auth = "ok"
    return None


def tencent_record_json(zone, record):
    return {"RecordId": record.id, "Value": record.value, "Status": "ENABLE",
            "UpdatedOn": beijing_time(), "Name": record.relative(zone), "Line": record.line,
            "LineId": DNSPOD_LINES.get(record.line, "0"), "Type": record.type, "Weight": None,
            "MonitorStatus": "", "Remark": "", "TTL": record.ttl, "MX": 0, "DefaultNS": False}


def play_tencentcloud(request):
    action = request.header("X-TC-Action") or ""
    kind = {"DescribeDomainList": "zones", "DescribeRecordList": "records",
            "ModifyRecord": "change", "ModifyDynamicDNS": "change",
            "CreateRecord": "create"}.get(action, "other")
    match = re.search(r"Credential=([^/\s,]*)", request.header("Authorization") or "")
    request.key = match.group(1) if match else ""
    account = next((a for a in STATE.accounts["tencentcloud"] if a.key == request.key), None)
    refusal = tencent_verdict(request, account)

    def run():
        if request.header("X-TC-Version") != "2021-03-23":
            return tencent_reply(code="NoSuchVersion")
        if kind == "other":
            return tencent_reply(code="InvalidAction", detail=" (the simulator does not play %s)"
                                 % action)
        try:
            params = json.loads(request.body.decode("utf-8") or "{}")
        except ValueError:
            return tencent_reply(code="InvalidParameter", detail=" 请求体不是 JSON。")
        if not isinstance(params, dict):
            return tencent_reply(code="InvalidParameter")
        if kind == "zones":
            word = str(params.get("Keyword", "")).lower()
            found = [z for z in account.zones if word in z.name]
            if not found:
                return tencent_reply(code="ResourceNotFound.NoDataOfDomain")
            return tencent_reply({
                "DomainCountInfo": {"DomainTotal": len(found), "AllTotal": len(found),
                                    "MineTotal": len(found), "ShareTotal": 0},
                "DomainList": [{"DomainId": z.id, "Name": z.name, "Status": "ENABLE",
                                "TTL": 600, "CNAMESpeedup": "DISABLE", "DNSStatus": "",
                                "Grade": "DP_FREE", "GroupId": 1, "SearchEnginePush": "YES",
                                "Remark": "", "Punycode": z.name, "EffectiveDNS": [],
                                "GradeLevel": 0, "GradeTitle": "免费版", "IsVip": "NO",
                                "RecordCount": len(z.records), "Owner": "demo@kivo.example"}
                               for z in found]})
        name = plain_name(str(params.get("Domain", "")))
        zone = next((z for z in account.zones if z.name == name), None)
        if zone is None:
            return tencent_reply(code="InvalidParameterValue.DomainNotExists")
        if kind == "records":
            found = [r for r in zone.records
                     if ("Subdomain" not in params or r.relative(zone) == str(params["Subdomain"]).lower())
                     and ("RecordType" not in params or r.type == str(params["RecordType"]).upper())]
            if not found:
                return tencent_reply(code="ResourceNotFound.NoDataOfRecord")
            return tencent_reply({
                "RecordCountInfo": {"SubdomainCount": len(found), "TotalCount": len(found),
                                    "ListCount": len(found)},
                "RecordList": [tencent_record_json(zone, r) for r in found]})
        line = params.get("RecordLine")
        if params.get("RecordLineId"):
            line = next((l for l, i in DNSPOD_LINES.items() if i == params["RecordLineId"]), None)
        if line not in DNSPOD_LINES:
            return tencent_reply(code="InvalidParameter.RecordLineInvalid")
        sub = str(params.get("SubDomain") or "@").lower()
        record_name = zone.name if sub == "@" else sub + "." + zone.name
        value = str(params.get("Value", ""))
        if kind == "change":
            record_id = params.get("RecordId")
            record = zone.record(record_id) if type(record_id) is int else None
            if record is None:
                return tencent_reply(code="InvalidParameter.RecordIdInvalid")
            record_type = str(params.get("RecordType") or record.type).upper() \
                if action == "ModifyRecord" else record.type
        else:
            record_type = str(params.get("RecordType", "")).upper()
        if not valid_address(record_type, value):
            return tencent_reply(code="InvalidParameterValue", detail=" Value")
        ttl = int(params.get("TTL") or 600)
        if kind == "create":
            if any((r.name, r.type, r.value, r.line) == (record_name, record_type, value, line)
                   for r in zone.records):
                return tencent_reply(code="InvalidParameter.DomainRecordExist")
            record = Record(STATE.new_id("tencentcloud", "record"), record_name, record_type,
                            value, ttl, line, False)
            zone.records.append(record)
        else:
            record.name, record.type, record.value, record.line, record.ttl = \
                record_name, record_type, value, line, ttl
        return tencent_reply({"RecordId": record.id})
    return conclude(request, kind, refusal, run)


# --- Huawei Cloud DNS

HUAWEI_TOLERANCE_S = 15 * 60  # the API gateway's documented limit for X-Sdk-Date
HUAWEI_LOCK_AFTER = 5  # refusals of an AK in a row
HUAWEI_LOCK_S = 5 * 60


def huawei_gateway(status, code, message):
    return json_reply(status, {"error_msg": message, "error_code": code,
                               "request_id": uuid.uuid4().hex}, code)


def huawei_dns(status, code, message):
    return json_reply(status, {"code": code, "message": message}, code)


def huawei_iam(message):
    return huawei_gateway(401, "APIGW.0301", "Incorrect IAM authentication information: " + message)


def huawei_verdict(request, account):
    now = STATE.now()
    match = re.fullmatch(r"SDK-HMAC-SHA256\s+Access=([^,\s]*),\s*SignedHeaders=([^,\s]*),\s*"
                         r"Signature=([0-9a-fA-F]*)", (request.header("Authorization") or "").strip())
    if not match:
        request.auth = "none" if request.header("Authorization") is None else "bad-signature"
        return huawei_iam("Authorization format incorrect")
    if account is None:
        request.auth = "bad-key"
        return huawei_iam("ak %s not exist" % request.key)
    if STATE.locked_until.get(account.key, 0) > now:
        request.auth = "locked"
        return huawei_iam("AK access failed to reach the limit,forbidden.")
    signed = match.group(2).lower().split(";")
    sdk_date = request.header("X-Sdk-Date") or ""
    refusal = None
    try:
        sent = calendar.timegm(time.strptime(sdk_date, "%Y%m%dT%H%M%SZ"))
    except ValueError:
        sent = None
    if sent is None or "x-sdk-date" not in signed or "host" not in signed:
        request.auth, refusal = "bad-signature", huawei_iam("verify aksk signature fail, "
                                                            "x-sdk-date and host must be signed")
    elif abs(sent - now) > HUAWEI_TOLERANCE_S:
        request.auth = "expired"
        refusal = huawei_iam("calc aksk signature fail:signature expired, signature time:%s,"
                             "server time:%s" % (sdk_date, time.strftime("%Y%m%dT%H%M%SZ",
                                                                         time.gmtime(now))))
    else:
        canonical = canonical_request(
            request.method, sdk_canonical_uri(request.path),
            canonical_query(query_pairs(request.query)), request.signed_headers(signed),
            sorted(signed), sha256_hex(request.body))
        if not hmac.compare_digest(sdk_signature(account.secret, sdk_date, canonical),
                                   match.group(3).lower()):
            request.auth = "bad-signature"
            refusal = huawei_iam("verify aksk signature fail, canonicalRequest:"
                                 + canonical.replace("\n", "|"))
    if refusal is None:
        request.auth = "ok"
        STATE.refusals.pop(account.key, None)
        return None
    STATE.refusals[account.key] = STATE.refusals.get(account.key, 0) + 1
    if STATE.refusals[account.key] >= HUAWEI_LOCK_AFTER:
        STATE.locked_until[account.key] = now + HUAWEI_LOCK_S
        STATE.refusals[account.key] = 0
    return refusal


def huawei_zone_json(zone):
    return {"id": zone.id, "name": zone.name + ".", "description": "", "email":
            "hostmaster@" + zone.name, "ttl": 300, "serial": 1, "status": "ACTIVE",
            "zone_type": "public", "record_num": len(zone.records) + 2,
            "created_at": "2026-01-01T00:00:00.000", "updated_at": "2026-01-01T00:00:00.000"}


def huawei_record_json(zone, record, status="ACTIVE"):
    return {"id": record.id, "name": record.name + ".", "description": "", "zone_id": zone.id,
            "zone_name": zone.name + ".", "type": record.type, "ttl": record.ttl,
            "records": record.value.split(","), "status": status, "default": False,
            "line": record.line, "weight": 1, "created_at": "2026-01-01T00:00:00.000",
            "updated_at": "2026-01-01T00:00:00.000"}


def huawei_matches(wanted, name, exact):
    wanted = plain_name(wanted)
    return name == wanted if exact else wanted in name


def huawei_empty_zones(request, failure):
    return json_reply(200, {"links": {"self": "https://dns.myhuaweicloud.com/v2/zones"},
                            "zones": [], "metadata": {"total_count": 0}})


def play_huaweicloud(request):
    match = re.search(r"Access=([^,\s]*)", request.header("Authorization") or "")
    request.key = match.group(1) if match else ""
    account = next((a for a in STATE.accounts["huaweicloud"] if a.key == request.key), None)
    values = {k.decode(): v.decode("utf-8", "replace") for k, v in query_pairs(request.query)}
    parts = request.path.rstrip("/").split("/")
    if request.method == "GET" and parts == ["", "v2", "zones"]:
        kind = "zones"
    elif parts[:3] == ["", "v2.1", "zones"] and len(parts) >= 5 and parts[4] == "recordsets":
        kind = {("GET", 5): "records", ("POST", 5): "create",
                ("PUT", 6): "change"}.get((request.method, len(parts)), "other")
    else:
        kind = "other"
    refusal = huawei_verdict(request, account)
    exact = values.get("search_mode") == "equal"

    def run():
        if kind == "other":
            return huawei_gateway(404, "APIGW.0101", "The API does not exist or has not been "
                                  "published in the environment (the simulator does not play it)")
        if kind == "zones":
            found = [z for z in account.zones if "name" not in values
                     or huawei_matches(values["name"], z.name, exact)]
            return json_reply(200, {"links": {"self": "https://dns.myhuaweicloud.com"
                                              + request.path + "?" + request.query},
                                    "zones": [huawei_zone_json(z) for z in found],
                                    "metadata": {"total_count": len(found)}})
        zone = next((z for z in account.zones if z.id == parts[3]), None)
        if zone is None:
            return huawei_dns(404, "DNS.0101", "The zone does not exist.")
        if kind == "records":
            found = [r for r in zone.records
                     if ("name" not in values or huawei_matches(values["name"], r.name, exact))
                     and ("type" not in values or r.type == values["type"].upper())]
            return json_reply(200, {"links": {"self": "https://dns.myhuaweicloud.com"
                                              + request.path},
                                    "recordsets": [huawei_record_json(zone, r) for r in found],
                                    "metadata": {"total_count": len(found)}})
        fields = json.loads(request.body.decode("utf-8"))
        record = zone.record(parts[5]) if kind == "change" else None
        if kind == "change" and record is None:
            return huawei_dns(404, "DNS.0004", "No record sets found.")
        addresses = fields.get("records")
        record_type = str(fields.get("type") or (record.type if record else "")).upper()
        name = plain_name(str(fields.get("name") or (record.name if record else "")))
        if (not isinstance(addresses, list) or not addresses
                or not all(valid_address(record_type, str(a)) for a in addresses)
                or not (name == zone.name or name.endswith("." + zone.name))):
            return huawei_dns(400, "DNS.0002", "Invalid request.")
        value = ",".join(str(a) for a in addresses)
        if kind == "create":
            record = Record(STATE.new_id("huaweicloud", "record"), name, record_type, value,
                            int(fields.get("ttl") or 300), "default_view", False)
            zone.records.append(record)
            return json_reply(202, huawei_record_json(zone, record, "PENDING_CREATE"))
        record.name, record.type, record.value = name, record_type, value
        record.ttl = int(fields.get("ttl") or record.ttl)
        return json_reply(202, huawei_record_json(zone, record, "PENDING_UPDATE"))
    return conclude(request, kind, refusal, run)


PLAYERS = {"cloudflare": play_cloudflare, "dnspod": play_dnspod, "alidns": play_alidns,
           "tencentcloud": play_tencentcloud, "huaweicloud": play_huaweicloud}


def cloudflare_throttled(request, failure):
    return cf_error(429, 971, "Please wait and consider throttling your request speed",
                    headers=[("retry-after", str(failure["retry_after"]))])


def dnspod_failure(code):
    def reply(request, failure):
        form = dict(urllib.parse.parse_qsl(request.body.decode("utf-8", "replace")))
        return dnspod_reply(form, code)
    return reply


# The errors that /__sim/api/fail can set, by provider and the provider's own code.
FAILURES = {
    "cloudflare": {
        "10000": lambda r, f: cf_error(403, 10000, "Authentication error"),
        "6003": lambda r, f: cf_bad_header(),
        "9109": lambda r, f: cf_error(403, 9109, "Cannot use the access token from location: "
                                      + r.client),
        "81057": lambda r, f: cf_error(400, 81057, "Record already exists."),
        "81058": lambda r, f: cf_error(400, 81058, "An identical record already exists."),
        "81044": lambda r, f: cf_error(404, 81044, "Record does not exist."),
        "1038": lambda r, f: cf_error(400, 1038, "You cannot use this API for domains with a "
                                      ".cf, .ga, .gq, .ml, or .tk TLD (top-level domain). To "
                                      "configure the DNS settings for this domain, use the "
                                      "Cloudflare Dashboard."),
        "429": cloudflare_throttled,
    },
    "dnspod": {code: dnspod_failure(code) for code in ("-1", "-2", "-8", "6", "7", "9", "10", "21")},
    "alidns": {code: (lambda c: lambda r, f: alidns_error(c))(code) for code in (
        "InvalidAccessKeyId.NotFound", "SignatureDoesNotMatch", "InvalidTimeStamp.Expired",
        "SignatureNonceUsed", "Forbidden.RAM", "IncorrectDomainUser",
        "DomainRecordNotBelongToUser", "DomainRecordDuplicate", "DomainRecordLocked",
        "Throttling.User")},
    "tencentcloud": {code: (lambda c: lambda r, f: tencent_reply(code=c))(code) for code in (
        "AuthFailure.SecretIdNotFound", "AuthFailure.InvalidSecretId",
        "AuthFailure.SignatureFailure", "AuthFailure.SignatureExpire",
        "AuthFailure.UnauthorizedOperation", "InvalidParameterValue.DomainNotExists",
        "ResourceNotFound.NoDataOfRecord", "FailedOperation.DomainIsLocked",
        "RequestLimitExceeded")},
    "huaweicloud": {
        "APIGW.0301": lambda r, f: huawei_iam("verify aksk signature fail"),
        "APIGW.0308": lambda r, f: huawei_gateway(
            429, "APIGW.0308", "The throttling threshold has been reached: policy user over "
            "ratelimit,limit:100,time:1 minute"),
        "DNS.0005": lambda r, f: huawei_dns(401, "DNS.0005", "Authentication required."),
        "DNS.0013": lambda r, f: huawei_dns(403, "DNS.0013", "You do not have the permission "
                                            "to perform this operation using the API."),
        "DNS.0014": lambda r, f: huawei_dns(403, "DNS.0014", "Request forbidden by flow control."),
        "empty-zones": huawei_empty_zones,
    },
}


# --- control endpoints

def hex_of(data):
    return binascii.hexlify(data).decode("ascii")


def unhex_list(values, name):
    return [binascii.unhexlify(h).decode("utf-8") for h in values.get(name, b"").split(b",") if h]


def provider_of(values):
    provider = values["provider"].decode("ascii")
    if provider not in PROVIDERS:
        raise ValueError("no provider " + provider)
    return provider


def control(command, values):
    """Answers /__sim/api/<command> with (status, body); values: the query's bytes."""
    if command == "account":
        provider = provider_of(values)
        with STATE.lock:
            STATE.add_account(provider, binascii.unhexlify(values.get("key", b"")).decode(),
                              binascii.unhexlify(values["secret"]).decode(),
                              unhex_list(values, "zones"), unhex_list(values, "records"))
        return 200, b"ok"
    if command == "record":
        provider = provider_of(values)
        name = plain_name(binascii.unhexlify(values["name"]).decode("utf-8"))
        record_type = values.get("type", b"A").decode("ascii").upper()
        key = binascii.unhexlify(values["key"]).decode() if "key" in values else None
        lines = []
        with STATE.lock:
            for account in STATE.accounts[provider]:
                if key is not None and key not in (account.key, account.secret):
                    continue
                for zone in account.zones:
                    lines += ["id=%s value=%s ttl=%d line=%s proxied=%d zone=%s\n" % (
                        hex_of(str(r.id).encode()), hex_of(r.value.encode()), r.ttl,
                        hex_of(r.line.encode("utf-8")), r.proxied, hex_of(zone.name.encode()))
                        for r in zone.records if r.name == name and r.type == record_type]
        return 200, "".join(lines).encode("ascii")
    if command == "fail":
        provider = provider_of(values)
        error = values["error"].decode("utf-8")
        kind = values["kind"].decode("ascii") if "kind" in values else None
        if error != "none" and error not in FAILURES[provider] and error not in ("500", "502", "503"):
            raise ValueError("%s has no error %s" % (provider, error))
        if kind is not None and kind not in KINDS:
            raise ValueError("no kind " + kind)
        with STATE.lock:
            if error == "none":
                STATE.failures.pop(provider, None)
            else:
                STATE.failures[provider] = {
                    "error": error, "kind": kind,
                    "times": int(values["times"]) if "times" in values else None,
                    "retry_after": int(values.get("retry_after", b"300"))}
        return 200, b"ok"
    if command == "clock":
        with STATE.lock:
            STATE.shift = int(values["shift"])
        return 200, b"ok"
    if command == "calls":
        with STATE.lock:
            lines = [
                "provider=%s kind=%s method=%s host=%s path=%s query=%s body=%s agent=%s key=%s "
                "auth=%s exposed=%d status=%d answer=%s\n" % (
                    c["provider"], c["kind"], hex_of(c["method"]), hex_of(c["host"]),
                    hex_of(c["path"]), hex_of(c["query"]), hex_of(c["body"]), hex_of(c["agent"]),
                    hex_of(c["key"]), c["auth"], c["exposed"], c["status"], hex_of(c["answer"]))
                for c in STATE.calls]
        return 200, "".join(lines).encode("ascii")
    return 404, b"unknown control command"


if __name__ == "__main__":
    if sys.argv[1:] != ["--self-test"]:
        sys.exit("usage: dns_api_sim.py --self-test   (provider_sim.py runs the simulator)")
    problems = self_test()
    for problem in problems:
        print("dns_api_sim self-test: " + problem)
    print("dns_api_sim self-test: %s" % ("FAILED" if problems else
                                          "the published ACS3, TC3 and SDK examples check out"))
    sys.exit(1 if problems else 0)
