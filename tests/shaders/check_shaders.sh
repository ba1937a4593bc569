#!/usr/bin/env bash
# Checks the engine's GLSL sources in assets/core/shaders: every
# vertex/fragment pair is preprocessed the way the engine's Shader does it
# (#version hoisted, #include inlined recursively, "#define" lines right after
# the version line) and built for each define combination the renderer and
# the materials can ask for.
#
# Offline (default): glslangValidator -l links each variant. It knows no
# #include, and its -D only works with -l, so the defines are written into the
# preprocessed files instead.
# With --gl EXE: the variants go to EXE (ShaderGlCheck), which builds them
# with the real OpenGL driver; this needs a display.
#
# Usage: check_shaders.sh [--gl EXE] <assets-dir>. Exit 0 all built, 1 a
# failure, 77 (skipped) without glslangValidator or without a display.
set -uo pipefail

glCheck=""
if [ "${1:-}" = "--gl" ]; then
  glCheck=${2:?--gl needs the ShaderGlCheck executable}
  shift 2
fi
assets=${1:?usage: check_shaders.sh [--gl EXE] <assets-dir>}
assets=${assets%/}
shaderDir=$assets/core/shaders
validator=${GLSLANG_VALIDATOR:-glslangValidator}
if [ -z "$glCheck" ] && ! command -v "$validator" >/dev/null 2>&1; then
  echo "glslangValidator not found (Debian package glslang-tools): shader check skipped"
  exit 77
fi
if [ -n "$glCheck" ] && [ -z "${DISPLAY:-}" ]; then
  echo "DISPLAY not set: GL shader check skipped"
  exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
errors=0

# Like the engine's resolve: the joined path, else a bare file name searched
# for below the assets folder.
resolve() {
  if [ -f "$assets/$1" ]; then
    printf '%s\n' "$assets/$1"
  elif [ -n "$1" ] && [[ $1 != */* ]]; then
    find "$assets" -type f -name "$1" -print -quit
  fi
}

# preprocess <resolved file> <output body> <include chain>: appends the body
# to the output; the last "#version" line seen goes to $work/version.
preprocess() {
  local file=$1 out=$2 chain=$3 line name target
  while IFS= read -r line || [ -n "$line" ]; do
    case $line in
      '#version'*)
        printf '%s\n' "$line" >"$work/version"
        ;;
      '#include'*)
        name=""
        if [[ $line == *\"*\"* ]]; then
          name=${line#*\"}
          name=${name%\"*}
        fi
        target=$(resolve "$name")
        if [ -z "$target" ]; then
          echo "FAIL: $file: include \"$name\" not found."
          errors=$((errors + 1))
        elif [[ " $chain " == *" $target "* ]]; then
          echo "FAIL: $file: include cycle through $target"
          errors=$((errors + 1))
        else
          preprocess "$target" "$out" "$chain $target"
        fi
        ;;
      *)
        printf '%s\n' "$line" >>"$out"
        ;;
    esac
  done <"$file"
}

# Writes the preprocessed stage of <name>.<stage> to $work/<name>.<stage>.body
# and its version line to $work/<name>.<stage>.version.
prepareStage() {
  local name=$1 stage=$2 source=$shaderDir/$1.$2
  : >"$work/version"
  : >"$work/$name.$stage.body"
  preprocess "$source" "$work/$name.$stage.body" "$source"
  mv "$work/version" "$work/$name.$stage.version"
}

# The defines the renderer adds to every item: shadows (with 0 maps, which
# must not declare an empty array, or some), the light count (0 likewise),
# and the lightmap when "lightmap" is asked for.
rendererSets() {
  local withLightmap=$1 shadow lights lightmap
  for shadow in "" "SHADOW;NUM_SHADOWMAPS 0" "SHADOW;NUM_SHADOWMAPS 1"; do
    for lights in 0 2; do
      for lightmap in "" ${withLightmap:+LIGHTMAP}; do
        printf '%s\n' "${shadow:+$shadow;}NUM_LIGHTS $lights${lightmap:+;$lightmap}"
      done
    done
  done
}

# Every combination of the material defines each shader can be given.
defineSets() {
  local set extra
  echo ""  # no defines at all: depth and UI passes, tools
  case $1 in
    default)
      while read -r set; do
        for extra in "" DIFFUSE NORMAL CUTOUT "DIFFUSE;NORMAL" "DIFFUSE;CUTOUT" "NORMAL;CUTOUT" "DIFFUSE;NORMAL;CUTOUT"; do
          printf '%s\n' "$set${extra:+;$extra}"
        done
      done < <(rendererSets lightmap)
      # Many lights and the most shadow maps the texture units allow.
      echo "SHADOW;NUM_SHADOWMAPS 3;NUM_LIGHTS 8;LIGHTMAP;DIFFUSE;NORMAL;CUTOUT"
      # The medium and low presets (low drops shadows and normal maps), lit by the sun alone.
      echo "SHADOW;NUM_SHADOWMAPS 1;NUM_LIGHTS 2;ONLY_DIRECTIONAL_LIGHTS;LIGHTMAP;DIFFUSE;NORMAL;FAST_SHADOWS;SIMPLE_WATER;SIMPLE_LIGHTING"
      echo "NUM_LIGHTS 2;ONLY_DIRECTIONAL_LIGHTS;LIGHTMAP;DIFFUSE;CUTOUT;NO_SKY_REFLECTION;NO_DEPTH_READS;SIMPLE_WATER;SIMPLE_LIGHTING;VERTEX_WAVES;SKY_FIRST_LEVEL"
      ;;
    particle)
      while read -r set; do
        printf '%s\n' "$set;NOT_ANIMATED" "$set;ANIMATED"
      done < <(rendererSets "")
      echo "NUM_LIGHTS 2;ANIMATED;NO_SKY_REFLECTION;NO_DEPTH_READS;SIMPLE_WATER;SIMPLE_LIGHTING;VERTEX_WAVES;SKY_FIRST_LEVEL"
      echo "NUM_LIGHTS 2;NOT_ANIMATED;FAST_SHADOWS;SIMPLE_WATER;SIMPLE_LIGHTING"
      ;;
    *)
      rendererSets ""
      echo "NUM_LIGHTS 1;WAVE_COUNT 3"
      echo "NUM_LIGHTS 1;ONLY_DIRECTIONAL_LIGHTS;SKY_FIRST_LEVEL"
      echo "SHADOW;NUM_SHADOWMAPS 1;NUM_LIGHTS 2;ONLY_DIRECTIONAL_LIGHTS;FAST_SHADOWS;SIMPLE_WATER;SIMPLE_LIGHTING"
      echo "NUM_LIGHTS 2;ONLY_DIRECTIONAL_LIGHTS;NO_SKY_REFLECTION;NO_DEPTH_READS;SIMPLE_WATER;SIMPLE_LIGHTING;VERTEX_WAVES;SKY_FIRST_LEVEL"
      ;;
  esac
}

# writeVariant <file> <version line> <body> <defines>: the version line, one
# "#define" per entry, then the body, exactly as the engine concatenates them.
writeVariant() {
  local file=$1 version=$2 body=$3 defines=$4 entry text=""
  if [ -n "$defines" ]; then
    IFS=';' read -ra entries <<<"$defines"
    for entry in "${entries[@]}"; do
      text+="#define $entry"$'\n'
    done
  fi
  printf '%s%s%s' "$version" "$text" "$body" >"$file"
}

# A deliberately broken pair must be rejected, or a passing run means nothing.
mkdir -p "$work/selftest"
printf '#version 430 core\nin vec3 position;\nvoid main() { gl_Position = vec4(position, 1.0); }\n' >"$work/selftest/a.vert"
printf '#version 430 core\nout vec4 c;\nvoid main() { c = undeclaredColour; }\n' >"$work/selftest/a.frag"
if [ -n "$glCheck" ]; then
  printf '%s\t%s\tselftest\n' "$work/selftest/a.vert" "$work/selftest/a.frag" | "$glCheck" >"$work/selftest/out" 2>&1
  selftest=$?
  if [ "$selftest" -eq 77 ]; then
    cat "$work/selftest/out"
    exit 77
  fi
else
  "$validator" -l "$work/selftest/a.vert" "$work/selftest/a.frag" >/dev/null 2>&1
  selftest=$?
fi
if [ "$selftest" -eq 0 ]; then
  echo "FAIL: a broken shader was accepted; the check cannot be trusted"
  exit 1
fi

pairs=()
for vert in "$shaderDir"/*.vert; do
  name=$(basename "$vert" .vert)
  if [ ! -f "$shaderDir/$name.frag" ]; then
    echo "FAIL: $name.vert has no $name.frag"
    errors=$((errors + 1))
    continue
  fi
  pairs+=("$name")
done
for frag in "$shaderDir"/*.frag; do
  [ -f "${frag%.frag}.vert" ] || { echo "FAIL: $(basename "$frag") has no .vert"; errors=$((errors + 1)); }
done
if [ ${#pairs[@]} -eq 0 ]; then
  echo "FAIL: no shader pairs found in $shaderDir"
  exit 1
fi

# slurp <variable> <file>: the file's whole text into the variable, final
# line feed included (a command substitution alone would drop it).
slurp() {
  local text
  text=$(cat "$2"; printf x)
  printf -v "$1" '%s' "${text%x}"
}

jobs=$work/jobs
: >"$jobs"
count=0
for name in "${pairs[@]}"; do
  for stage in vert frag; do
    prepareStage "$name" "$stage"
    if ! grep -qx '#version 430 core' "$work/$name.$stage.version"; then
      echo "FAIL: $name.$stage: version line is not \"#version 430 core\""
      errors=$((errors + 1))
    fi
  done
  slurp vertVersion "$work/$name.vert.version"
  slurp vertBody "$work/$name.vert.body"
  slurp fragVersion "$work/$name.frag.version"
  slurp fragBody "$work/$name.frag.body"
  while IFS= read -r defines; do
    count=$((count + 1))
    # The validator takes the stage from the extension.
    writeVariant "$work/v$count.vert" "$vertVersion" "$vertBody" "$defines"
    writeVariant "$work/v$count.frag" "$fragVersion" "$fragBody" "$defines"
    printf '%s\t%s\t%s [%s]\n' "$work/v$count.vert" "$work/v$count.frag" "$name" "$defines" >>"$jobs"
  done < <(defineSets "$name")
done

if [ -n "$glCheck" ]; then
  # One GL context builds them all.
  failures=$("$glCheck" <"$jobs" 2>&1)
  status=$?
  printf '%s\n' "$failures" | tail -n 1
  if [ "$status" -ne 0 ]; then
    printf '%s\n' "$failures"
    errors=$((errors + 1))
  fi
else
  # One validator run per variant, as many at once as there are cores.
  validate() {
    "$validator" -l "$1" "$2" >"$1.log" 2>&1 || : >"$1.failed"
  }
  running=0
  cores=$(nproc)
  while IFS=$'\t' read -r vert frag label; do
    validate "$vert" "$frag" &
    running=$((running + 1))
    if [ "$running" -ge "$cores" ]; then
      wait -n
      running=$((running - 1))
    fi
  done <"$jobs"
  wait
  while IFS=$'\t' read -r vert frag label; do
    if [ -e "$vert.failed" ]; then
      printf 'FAIL: %s\n' "$label"
      cat "$vert.log"
      errors=$((errors + 1))
    fi
  done <"$jobs"
fi

echo "$count variants of ${#pairs[@]} shader pairs checked, $errors failures"
[ "$errors" -eq 0 ]
