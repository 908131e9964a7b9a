#!/usr/bin/env bash
# Photographs every dialog of the program at 96, 120 and 144 pixels per inch
# and puts the three pictures of each dialog side by side, for a person to
# compare:
#   tools/dialog-shots.sh [output folder]     (default: build/dialog-shots)
# SPIRALIS_SHOT_PPI="96 120" takes only those resolutions.
# Gives <name>.png per dialog and all.png with every dialog, one row each.
# Runs in its own Xvfb and its own Wine prefix (build/shots-prefix), whose
# HKCU\Control Panel\Desktop LogPixels it sets for each resolution, so the
# test prefix keeps its own.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

# One dialog a line: name | its window's title | what shows it (in the build tree)
# | the names of its pages, in the order Ctrl+Tab shows them from the first shown
# (none: one picture).
dialogs=(
  "about|About Vantrel|tools/dialog_shots.exe about|"
  "form|Scaled form|tools/dialog_shots.exe form|"
  "corners|Hot corners|tools/dialog_shots.exe corners|"
  "options|Options for Spiralis|Spiralis.scr /c|presets general opengl science visuals"
)
resolutions=(${SPIRALIS_SHOT_PPI:-96 120 144})

out="${1:-$build/dialog-shots}"
setup_and_build --target Spiralis dialog_shots
mkdir -p "$out"
trap stop_all EXIT
start_xvfb
export WINEPREFIX="$build/shots-prefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$root/tools/prefix.sh" "$WINEPREFIX"
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
wineserver -p
# The prefix keeps Wine's default client-side graphics, with which a dialog's
# standard controls and its live OpenGL preview both show (docs/wine.md).
# The options dialog's first-run hints would cover it: they count as shown.
for hint in Told3dfx ToldActive; do
  wine reg add 'HKCU\Software\Vantrel\Spiralis' /v "$hint" /t REG_DWORD /d 1 /f >/dev/null 2>&1 || true
done
wine cmd /c exit >/dev/null 2>&1 </dev/null || true

# The X window of a shown top-level window with that title, once there is one.
shown_window() {
  local title="$1" id
  for _ in $(seq 100); do
    for id in $(xwininfo -root -tree | grep -F "\"$title\"" | awk '{print $1}'); do
      if xwininfo -id "$id" | grep -q 'Map State: IsViewable'; then echo "$id"; return 0; fi
    done
    sleep 0.1
  done
  return 1
}

for ppi in "${resolutions[@]}"; do
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$ppi" /f >/dev/null 2>&1
  for entry in "${dialogs[@]}"; do
    IFS='|' read -r name title command pages <<<"$entry"
    read -r -a argv <<<"$command"
    read -r -a shots <<<"${pages:-$name}"
    [ -n "$pages" ] && shots=("${shots[@]/#/$name-}")
    (cd "$build" && exec wine "${argv[@]}") >/dev/null 2>&1 &
    pid=$!
    if id=$(shown_window "$title"); then
      sleep 2  # let it paint
      for shot in "${shots[@]}"; do
        import -display "$DISPLAY" -window "$id" "$out/$shot-$ppi.png"
        if [ -n "$pages" ]; then (cd "$build" && wine tools/dialog_shots.exe nextpage "$title") >/dev/null 2>&1; sleep 1; fi
      done
    else
      echo "dialog-shots: no window \"$title\" from $command at $ppi pixels per inch" >&2
      for shot in "${shots[@]}"; do
        convert -size 120x40 xc:white -gravity center -annotate 0 "none" "$out/$shot-$ppi.png"
      done
    fi
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    wineserver -k 2>/dev/null || true   # whatever the program left behind
    wineserver -w 2>/dev/null || true
    wineserver -p
  done
done

# Labels in a font ImageMagick has (it has no default one on a bare system).
font=$(convert -list font | awk '$1 == "Font:" {print $2}' | grep -m1 -x 'DejaVu-Sans' ||
       convert -list font | awk '$1 == "Font:" {print $2; exit}')
rows=()
for entry in "${dialogs[@]}"; do
  IFS='|' read -r name _ _ pages <<<"$entry"
  read -r -a shots <<<"${pages:-$name}"
  [ -n "$pages" ] && shots=("${shots[@]/#/$name-}")
  for shot in "${shots[@]}"; do
    args=()
    for ppi in "${resolutions[@]}"; do args+=(-label "$shot at $ppi ppi" "$out/$shot-$ppi.png"); done
    montage ${font:+-font "$font"} "${args[@]}" -tile x1 -geometry +12+12 -gravity northwest -background '#d8d8d8' "$out/$shot.png"
    rows+=("$out/$shot.png")
  done
done
convert "${rows[@]}" -background '#d8d8d8' -gravity northwest -append "$out/all.png"
echo "dialog-shots: $out/all.png"
