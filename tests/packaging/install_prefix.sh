#!/usr/bin/env bash
# Installs the build tree into a temporary prefix and uses what was installed:
# the installed tadmor runs the default case and writes the reference results
# file byte for byte; every manual page is there and is a manual page; the
# studio's desktop entry and icon are there; the Python module imports from
# PREFIX/PYTHON_DIR and runs the default case.
# Usage: install_prefix.sh CMAKE BUILD_DIR REFERENCE_RESULTS GUI_BUILT (1 or 0) [PYTHON PYTHON_DIR]
# (PYTHON empty: the module was not built; PYTHON_DIR relative to the prefix)
set -euo pipefail
cmake=$1 build=$2 reference=$(realpath "$3") gui=$4 python=${5:-} python_dir=${6:-}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

"$cmake" --install "$build" --prefix "$prefix" > "$prefix/install.log"

pages=(tadmor tadmor-run tadmor-plot tadmor-sweep tadmor-fit tadmor-solve tadmor-sensitivity tadmor-extruder)
programs=(tadmor)
if [[ $gui == 1 ]]; then
    pages+=(tadmor-gui tadmor-studio)
    programs+=(tadmor-gui tadmor-studio)
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
if [[ $gui == 1 ]]; then
    entry=$prefix/share/applications/tadmor-studio.desktop
    grep -qx "Exec=tadmor-studio %F" "$entry" || { echo "not installed: the studio's desktop entry"; exit 1; }
    grep -q "<svg" "$prefix/share/icons/hicolor/scalable/apps/tadmor-studio.svg" ||
        { echo "not installed: the studio's icon"; exit 1; }
fi

mkdir "$prefix/work"
cd "$prefix/work"
"$prefix/bin/tadmor" run --decimal-separator . -o result.txt
cmp result.txt "$reference"

module=
if [[ -n $python && $python_dir == /* ]]; then
    module=", the Python module outside the prefix ($python_dir), not checked"
elif [[ -n $python ]]; then
    modules=("$prefix/$python_dir"/tadmor.*.so)
    [[ -f ${modules[0]} ]] || { echo "not installed: $python_dir/tadmor.*.so"; exit 1; }
    # Only the installed module is on the path: not the build tree's, whatever the environment says.
    ran=$(env -u PYTHONHOME PYTHONPATH="$prefix/$python_dir" "$python" -c \
        "import tadmor; r = tadmor.run(); print(tadmor.__file__); print(r.outcome, len(r.rows))")
    [[ $ran == "${modules[0]}"$'\n'"end of screw 129" ]] || { echo "the installed module gave: $ran"; exit 1; }
    module=", the Python module in $python_dir"
fi
echo "installed into a temporary prefix: ${programs[*]}, ${#pages[@]} manual pages$module; the default case gives the reference results file"
