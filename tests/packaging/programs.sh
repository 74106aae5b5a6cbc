# Sourced by the package tests, after wine-env.sh: what they read of the
# prefix about the program's packages.
#   entries             our entries in Programs and Features, both registry
#                       views: one "VERSION" line each
#   restore_path        puts back the machine's PATH as it was when sourced
environment='HKLM\System\CurrentControlSet\Control\Session Manager\Environment'
uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
# Wine's tools end their lines in CR LF.
win() { nw_wine "$@" 2>/dev/null | tr -d '\r'; }
query() { win reg query "$@" /reg:64; }
has_key() { nw_wine reg query "$1" /reg:64 >/dev/null 2>&1; }
path_before="$(query "$environment" /v PATH | sed -n 's/^ *PATH *REG_EXPAND_SZ *//p')"

entries() {
  local view key
  for view in 64 32; do
    for key in $(win reg query "$uninstall" /reg:$view | grep -o '{[0-9A-F-]*}$'); do
      win reg query "$uninstall\\$key" /v DisplayName /reg:$view | grep -q 'REG_SZ *Nookwayer$' &&
        win reg query "$uninstall\\$key" /v DisplayVersion /reg:$view | sed -n 's/^ *DisplayVersion *REG_SZ *//p'
    done
  done
}

# Wine's msiexec takes the folder out of the PATH but leaves its separator,
# after which Wine searches no further than the empty entry.
restore_path() {
  nw_wine reg add "$environment" /v PATH /t REG_EXPAND_SZ /d "$path_before" /f >/dev/null 2>&1
}
