#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what lands there.
# Arguments: the build folder and the application id.
set -euo pipefail
build=$1 id=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
failures=0
fail() { echo "FAIL: $*" >&2 && failures=1; }

for file in bin/sonatag bin/sonatag-cli share/man/man1/sonatag{,-cli}.1.gz share/bash-completion/completions/sonatag-cli \
    "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml" "share/icons/hicolor/48x48/apps/$id.png" \
    share/doc/sonatag/copyright share/doc/sonatag/changelog.gz "$(cd "$prefix" && echo lib*/sonatag/modules/media.so)" \
    "$(cd "$prefix" && echo lib*/sonatag/modules/second-reader.so)"; do
    [[ -s $prefix/$file ]] || fail "not installed: $file"
done
desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null || fail "appstreamcli validate"

# Every option the tool's help names is in its manual page and in its completion.
manual=$(MANWIDTH=200 man -E ascii -l "$prefix/share/man/man1/sonatag-cli.1.gz" 2>/dev/null)
completion=$(<"$prefix/share/bash-completion/completions/sonatag-cli")
for option in $("$prefix/bin/sonatag-cli" --help | grep -oE -- '(^|[][ |,])--?[a-zA-Z0-9][a-zA-Z0-9-]*' | sed 's/^[][ |,]//' | sort -u); do
    grep -qE -- "(^|[^a-zA-Z0-9-])$option([^a-zA-Z0-9-]|$)" <<<"$manual" || fail "$option is not in sonatag-cli(1)"
    grep -qE -- "(^|[^a-zA-Z0-9-])$option([^a-zA-Z0-9-]|$)" <<<"$completion" || fail "$option is not completed"
done
exit $failures
