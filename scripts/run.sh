#!/usr/bin/env bash
# Installs the packages, builds, starts the local search service on its sample library
# (https://localhost:8443) and then Vorel, trusting the service's certificate authority.
# The service stops when Vorel closes.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
chmod 700 "$XDG_RUNTIME_DIR"

tls_dir="${XDG_STATE_HOME:-$HOME/.local/state}/vorel-catalog"
build/catalog/vorel-catalog --tls-dir "$tls_dir" &
catalog=$!
trap 'kill "$catalog" 2>/dev/null; wait "$catalog" 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  if [ -s "$tls_dir/ca.pem" ] && curl -s -o /dev/null --cacert "$tls_dir/ca.pem" https://localhost:8443/?kw=; then
    break
  fi
  kill -0 "$catalog" 2>/dev/null || { echo "run.sh: the search service did not start" >&2; exit 1; }
  sleep 0.1
done
SSL_CERT_FILE="$tls_dir/ca.pem" build/vorel
