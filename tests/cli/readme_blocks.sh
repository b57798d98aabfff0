# Sourced by the tests that run the README's recipes as they stand there.

# Prints the indented code block that follows the line MARKER of the README
# FILE, without its four-space indent: readme_block FILE MARKER.
readme_block() {
  awk -v marker="$2" '
    $0 == marker { found = 1; next }
    found && /^    / { print substr($0, 5); inside = 1; next }
    found && inside { exit }' "$1"
}

# Prints the command of a README block with its continuation lines joined.
joined_command() {
  sed -e ':more' -e '/\\$/{N;s/\\\n *//;b more' -e '}'
}
