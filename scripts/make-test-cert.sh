#!/usr/bin/env bash
# A throwaway code-signing certificate for the test build, made at build time:
#   make-test-cert.sh DIR PASSWORD
# DIR/ca.pem is the certificate of a CA made for this build only, DIR/signer.pfx the signing
# key and certificate it issued. Nothing of it is a secret or ever leaves the build tree.
set -euo pipefail
dir=$1 password=$2
mkdir -p "$dir"
cd "$dir"
rm -f ca.key ca.pem signer.key signer.csr signer.pem signer.pfx ca.srl
openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 3650 -sha256 \
  -subj "/CN=Korvane test build CA" -addext "basicConstraints=critical,CA:TRUE" \
  -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout signer.key -out signer.csr -subj "/CN=Korvane test build" 2>/dev/null
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >signer.ext
openssl x509 -req -in signer.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out signer.pem -days 3650 -sha256 \
  -extfile signer.ext 2>/dev/null
openssl pkcs12 -export -out signer.pfx -inkey signer.key -in signer.pem -certfile ca.pem -passout "pass:$password"
rm -f ca.key signer.key signer.csr signer.ext ca.srl signer.pem
