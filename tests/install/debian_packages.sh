#!/usr/bin/env bash
# Builds the Debian packages with scripts/package.sh and checks them as a
# Debian user would meet them: lintian reports no errors, each package
# depends on the Debian packages it needs, and, unpacked into a scratch root,
# the C++ example builds against the -dev package and runs, and the Python
# example runs from the module package.
#
#   debian_packages.sh SOURCE_DIR WORK_DIR
set -euo pipefail
source_dir=$(realpath "$1")
work=$(realpath -m "$2")
rm -rf "$work"
mkdir -p "$work"
packages=$source_dir/build/packages

bash "$source_dir/scripts/package.sh" > "$work/package.log" 2>&1 || { cat "$work/package.log"; exit 1; }
version=$(sed -n 's/^project(tesk_vumo VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
runtime=$packages/tesk-vumo_${version}-1_amd64.deb
dev=$packages/tesk-vumo-dev_${version}-1_amd64.deb
python=$packages/python3-tesk-vumo_${version}-1_amd64.deb

lintian --tag-display-limit 0 "$runtime" "$dev" "$python" > "$work/lintian.txt" 2>&1 || true
if grep '^E:' "$work/lintian.txt"; then
  exit 1
fi

depends_on() {
  local package=$1; shift
  local depends
  depends=$(dpkg-deb -f "$package" Depends)
  for wanted in "$@"; do
    case ", $depends," in
      *", $wanted"[\ ,]*) ;;
      *) echo "$(basename "$package") does not depend on $wanted: $depends"; exit 1 ;;
    esac
  done
}
depends_on "$runtime" libwxgtk3.2-1 libwxbase3.2-1 libopencv-core406 libopencv-imgproc406 libopencv-imgcodecs406
depends_on "$dev" "tesk-vumo (= ${version}-1)" libwxgtk3.2-dev libopencv-core-dev libopencv-imgproc-dev \
  libopencv-imgcodecs-dev
depends_on "$python" "tesk-vumo (= ${version}-1)" python3-wxgtk4.0 python3-numpy libwxgtk3.2-1

root=$work/root
for package in "$runtime" "$dev" "$python"; do
  dpkg -x "$package" "$root"
done
libdir=$(dirname "$(find "$root/usr/lib" -name 'libtesk_vumo.so.*.*')")
for file in "$root/usr/include/tesk_vumo/tesk_vumo.h" "$libdir/libtesk_vumo.so" "$libdir/cmake/tesk_vumo/tesk_vumoConfig.cmake" \
  "$libdir/pkgconfig/tesk_vumo.pc" "$root/usr/share/locale/zh_CN/LC_MESSAGES/tesk_vumo.mo" \
  "$root/usr/lib/python3/dist-packages/tesk_vumo/__init__.pyi"; do
  [ -e "$file" ] || { echo "not in the packages: ${file#$root}"; exit 1; }
done

if ! { cmake -S "$source_dir/examples/cpp" -B "$work/example" -DCMAKE_PREFIX_PATH="$root/usr" \
       && cmake --build "$work/example"; } > "$work/example.log" 2>&1; then
  cat "$work/example.log"
  exit 1
fi
"$work/example/example_host" "$source_dir/demo/sample.png" --screenshot "$work/example.png"
# The scratch root is not where the dynamic linker looks: it is pointed there,
# as the system's own folders would be after apt install.
(cd "$work" && LD_LIBRARY_PATH=$libdir PYTHONPATH=$root/usr/lib/python3/dist-packages /usr/bin/python3 - <<'PY'
import os
import tesk_vumo
assert tesk_vumo.__file__.startswith(os.environ["PYTHONPATH"]), tesk_vumo.__file__
PY
)
(cd "$work" && LD_LIBRARY_PATH=$libdir PYTHONPATH=$root/usr/lib/python3/dist-packages /usr/bin/python3 \
  "$source_dir/examples/python/host.py" "$source_dir/demo/sample.png" --screenshot "$work/example_python.png")
for shot in "$work/example.png" "$work/example_python.png"; do
  [ -s "$shot" ] || { echo "no screenshot: $shot"; exit 1; }
done
ls -l "$runtime" "$dev" "$python"
echo "lintian: $(grep -c '^W:' "$work/lintian.txt" || true) warnings, no errors"
