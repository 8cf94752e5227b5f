#!/usr/bin/env bash
# Prints the address of the Debian archive this machine's apt already uses:
# the first enabled "deb" source whose suite is not a security one, from
# /etc/apt/sources.list and sources.list.d (one-line .list and deb822
# .sources files alike). No file of the project names a package host; the
# backports source that setup.sh adds and the NSIS source that the cross
# build fetches both come from here. Fails when apt names no such archive.
set -euo pipefail
shopt -s nullglob

files=()
for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [ -r "$file" ] && files+=("$file")
done
[ ${#files[@]} -gt 0 ] || { echo "apt-archive-uri: no apt source files" >&2; exit 1; }

# Paragraph mode: a deb822 stanza, or a block of one-line entries, per record.
uri=$(awk 'BEGIN { RS = "" }
    function usable(type, uri, suite) {
        return type == "deb" && uri ~ /^https?:\/\// && suite !~ /-security$|\/updates$/
    }
    FILENAME ~ /\.sources$/ {
        types = ""; uris = ""; suites = ""; enabled = "yes"
        lines = split($0, line, "\n")
        for (i = 1; i <= lines; i++) {
            if (line[i] ~ /^#/ || !match(line[i], /^[A-Za-z-]+:/)) continue
            key = tolower(substr(line[i], 1, RLENGTH - 1)); value = substr(line[i], RLENGTH + 1)
            if (key == "types") types = value
            else if (key == "uris") uris = value
            else if (key == "suites") suites = value
            else if (key == "enabled") enabled = tolower(value)
        }
        split(uris, uri_list, " "); split(suites, suite_list, " ")
        if (enabled ~ /no/ || (" " types " ") !~ / deb /) next
        for (s in suite_list)
            if (usable("deb", uri_list[1], suite_list[s])) { print uri_list[1]; exit }
        next
    }
    {
        lines = split($0, line, "\n")
        for (i = 1; i <= lines; i++) {
            entry = line[i]
            sub(/#.*/, "", entry); gsub(/\[[^]]*\]/, "", entry)
            if (split(entry, word, " ") >= 3 && usable(word[1], word[2], word[3])) { print word[2]; exit }
        }
    }' "${files[@]}")
[ -n "$uri" ] || { echo "apt-archive-uri: apt names no Debian archive" >&2; exit 1; }
echo "${uri%/}"
