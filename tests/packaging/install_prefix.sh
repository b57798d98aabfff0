#!/usr/bin/env bash
# Installs the build tree into a temporary prefix and uses what was installed:
# the installed tadmor runs the default case and writes the reference results
# file byte for byte; every manual page is there and is a manual page.
# Usage: install_prefix.sh CMAKE BUILD_DIR REFERENCE_RESULTS GUI_BUILT (1 or 0)
set -euo pipefail
cmake=$1 build=$2 reference=$(realpath "$3") gui=$4
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

"$cmake" --install "$build" --prefix "$prefix" > "$prefix/install.log"

pages=(tadmor tadmor-run tadmor-plot tadmor-sweep tadmor-fit)
programs=(tadmor)
if [[ $gui == 1 ]]; then
    pages+=(tadmor-gui)
    programs+=(tadmor-gui)
fi
for program in "${programs[@]}"; do
    [[ -x $prefix/bin/$program ]] || { echo "not installed: bin/$program"; exit 1; }
done
for page in "${pages[@]}"; do
    file=$prefix/share/man/man1/$page.1.gz
    [[ -f $file ]] || { echo "not installed: share/man/man1/$page.1.gz"; exit 1; }
    gzip -dc "$file" | grep -q "^\.TH ${page^^} " || { echo "$file is not the manual page of $page"; exit 1; }
done
[[ -f $prefix/share/bash-completion/completions/tadmor ]] || { echo "no bash completion"; exit 1; }

mkdir "$prefix/work"
cd "$prefix/work"
"$prefix/bin/tadmor" run --decimal-separator . -o result.txt
cmp result.txt "$reference"
echo "installed into a temporary prefix: ${programs[*]}, ${#pages[@]} manual pages; the default case gives the reference results file"
