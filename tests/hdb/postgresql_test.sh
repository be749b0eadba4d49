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
chmod 755 "$work"
as_server=()
if [ "$(id -u)" -eq 0 ]; then
  chown nobody "$work"
  as_server=(runuser -u nobody --)
fi
port=$((20000 + RANDOM % 20000))

stop() {
  "${as_server[@]}" "$bindir/pg_ctl" -D "$work/data" -m immediate -w stop >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap stop EXIT

if ! "${as_server[@]}" "$bindir/initdb" -D "$work/data" -U hdbtest --auth=trust -E UTF8 >"$work/initdb.log" 2>&1; then
  cat "$work/initdb.log"
  exit 1
fi
if ! "${as_server[@]}" "$bindir/pg_ctl" -D "$work/data" -l "$work/server.log" -w -t 60 \
     -o "-k $work -p $port -c listen_addresses=''" start >/dev/null; then
  cat "$work/server.log"
  exit 1
fi
echo "PostgreSQL $("$bindir/postgres" --version | awk '{print $3}') running on socket $work, port $port"

export HDB_TEST_CONNECTION="Driver={PostgreSQL Unicode};Servername=$work;Port=$port;Database=postgres;Uid=hdbtest;"
"$tests" --gtest_filter='HdbTest.*'
