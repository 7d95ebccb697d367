#!/usr/bin/env bash
# Makes the simulator's certificates for the update host: a test CA that the scripts
# trust in the project's own Wine prefix (never on the host), the host's certificate
# from it, one for the host from another, untrusted CA, and one from the trusted CA for
# another name. Kept until the host changes.
# Usage: simulator/make_certs.sh HOST FOLDER
set -euo pipefail
host=$1
mkdir -p "$2"
cd "$2"
[ "$(cat host 2>/dev/null)" = "$host" ] && exit 0
rm -f ./*.pem ./*.key ./*.der ./*.srl

ca() {  # name
    openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -keyout "$1-ca.key" -out "$1-ca.pem" \
        -subj "/CN=Kivo simulator $1 CA" -addext "basicConstraints=critical,CA:TRUE" \
        -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
}
server() {  # name, CA, host name
    openssl req -new -newkey rsa:2048 -nodes -keyout "$1.key" -subj "/CN=$3" 2>/dev/null |
        openssl x509 -req -days 3650 -CA "$2-ca.pem" -CAkey "$2-ca.key" -CAcreateserial \
            -extfile <(printf 'subjectAltName=DNS:%s\nextendedKeyUsage=serverAuth\n' "$3") \
            -out "$1.pem" 2>/dev/null
}
ca trusted
ca untrusted
server good trusted "$host"
server untrusted untrusted "$host"
server wrongname trusted "other.$host"
openssl x509 -in trusted-ca.pem -outform der -out trusted-ca.der
echo "$host" >host
