#!/usr/bin/env bash
# Runs the database retrieval tests against a PostgreSQL server of their own: a cluster
# made in a temporary folder, reached only through a socket in that folder, run as an
# ordinary user (the server refuses root) and stopped afterwards. Skipped (exit 77)
# where the PostgreSQL server binaries are not installed.
set -euo pipefail
tests="$1"

bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1 || true)
if [ -z "$bindir" ] || [ ! -x "$bindir/initdb" ] || [ ! -x "$bindir/pg_ctl" ]; then
  echo "SKIPPED: the PostgreSQL server binaries (initdb, pg_ctl) are not installed"
  exit 77
fi

work=$(mktemp -d /tmp/corv-pg.XXXXXX)
as_server=()
server=""
# The server stops and its folder goes whether the tests pass, fail or are interrupted.
stop() {
  if [ -n "$server" ]; then
    "${as_server[@]}" "$bindir/pg_ctl" -D "$work/data" -m immediate -w stop >/dev/null 2>&1 || true
    kill "$server" 2>/dev/null || true
    wait "$server" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap stop EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP
chmod 755 "$work"
if [ "$(id -u)" -eq 0 ]; then
  chown nobody "$work"
  as_server=(runuser -u nobody --)
fi
port=$((20000 + RANDOM % 20000))

if ! "${as_server[@]}" "$bindir/initdb" -D "$work/data" -U hdbtest --auth=trust -E UTF8 >"$work/initdb.log" 2>&1; then
  cat "$work/initdb.log"
  exit 1
fi
# The server runs as this script's child (not detached as pg_ctl start would leave it),
# so that a test run killed on its time limit takes the server with it.
"${as_server[@]}" "$bindir/postgres" -D "$work/data" -k "$work" -p "$port" -c listen_addresses='' \
  >"$work/server.log" 2>&1 &
server=$!
for _ in $(seq 600); do
  "$bindir/pg_isready" -q -h "$work" -p "$port" && break
  if ! kill -0 "$server" 2>/dev/null; then break; fi
  sleep 0.1
done
if ! "$bindir/pg_isready" -q -h "$work" -p "$port"; then
  cat "$work/server.log"
  exit 1
fi
echo "PostgreSQL $("$bindir/postgres" --version | awk '{print $3}') running on socket $work, port $port"

export HDB_TEST_CONNECTION="Driver={PostgreSQL Unicode};Servername=$work;Port=$port;Database=postgres;Uid=hdbtest;"
"$tests" --gtest_filter='HdbTest.*'
