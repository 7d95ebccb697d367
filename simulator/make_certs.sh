#!/usr/bin/env bash
# Makes the simulator's certificates for the hosts its tunnels serve (the providers and the
# address-check services; provider_sim.py --list-tls-hosts names them, its own first): a test CA that the scripts trust in the project's
# own Wine prefix (never on the host), a certificate for all the hosts from it, one for
# all the hosts from another, untrusted CA, and one from the trusted CA for another name.
# Kept until the set of hosts changes.
# Usage: simulator/make_certs.sh HOST FOLDER [MORE_HOSTS...]
set -euo pipefail
if [ $# -lt 2 ]; then
    echo "usage: $0 HOST FOLDER [MORE_HOSTS...]" >&2
    exit 2
fi
host=$1
folder=$2
hosts=("$host" "${@:3}")
for name in "${hosts[@]}"; do
    # The names go into an openssl extension line: a comma or newline would break it.
    if ! [[ $name =~ ^[A-Za-z0-9*._-]+$ ]]; then
        echo "make_certs.sh: not a host name: $name" >&2
        exit 2
    fi
done
# One name a line: for a single host the stamp is what it always was.
stamp=$(printf '%s\n' "${hosts[@]}")
mkdir -p "$folder"
cd "$folder"
[ "$(cat host 2>/dev/null)" = "$stamp" ] && exit 0
rm -f ./*.pem ./*.key ./*.der ./*.srl

ca() {  # name
    openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -keyout "$1-ca.key" -out "$1-ca.pem" \
        -subj "/CN=Kivo simulator $1 CA" -addext "basicConstraints=critical,CA:TRUE" \
        -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
}
server() {  # name, CA, host names (the first is the subject's)
    local name=$1 authority=$2
    shift 2
    local alt
    alt=$(printf 'DNS:%s,' "$@")
    openssl req -new -newkey rsa:2048 -nodes -keyout "$name.key" -subj "/CN=$1" 2>/dev/null |
        openssl x509 -req -days 3650 -CA "$authority-ca.pem" -CAkey "$authority-ca.key" \
            -CAcreateserial \
            -extfile <(printf 'subjectAltName=%s\nextendedKeyUsage=serverAuth\n' "${alt%,}") \
            -out "$name.pem" 2>/dev/null
}
ca trusted
ca untrusted
server good trusted "${hosts[@]}"
server untrusted untrusted "${hosts[@]}"
server wrongname trusted "other.$host"
openssl x509 -in trusted-ca.pem -outform der -out trusted-ca.der
echo "$stamp" >host
