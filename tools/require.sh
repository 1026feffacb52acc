# Sourced by the project's scripts: `require TOOL...` stops the script with one line naming
# the Debian package to install when a tool it runs is missing. Tools are named as Debian
# installs them (absolute paths for those it keeps off PATH, such as Wine's).
declare -A KAVRIN_TOOL_PACKAGE=(
  [cmake]=cmake [ctest]=cmake [cpack]=cmake [ninja]=ninja-build [c++]=g++ [pkg-config]=pkg-config
  [dpkg-deb]=dpkg [dpkg-shlibdeps]=dpkg-dev [gzip]=gzip [file]=file
  [i686-w64-mingw32-g++]=g++-mingw-w64-i686 [x86_64-w64-mingw32-g++]=g++-mingw-w64-x86-64
  [i686-w64-mingw32-objdump]=binutils-mingw-w64-i686 [x86_64-w64-mingw32-objdump]=binutils-mingw-w64-x86-64
  [widl-stable]=wine64-tools [wrestool]=icoutils
  [/usr/lib/wine/wine64]=wine64 [/usr/lib/wine/wineserver]=libwine
  [Xvfb]=xvfb [localedef]=libc-bin [iconv]=libc-bin [od]=coreutils [timeout]=coreutils
  [clang-14]=clang-14 [clang++-14]=clang-14 [libFuzzer]=libclang-rt-14-dev
  [debootstrap]=debootstrap [chroot]=coreutils
)

# libFuzzer is a library of clang's, found through the compiler that links it
# (KAVRIN_FUZZ_CXX, else clang++-14).
kavrin_has_libfuzzer() {
  local lib
  lib=$("${KAVRIN_FUZZ_CXX:-clang++-14}" -print-file-name=libclang_rt.fuzzer-x86_64.a 2>/dev/null) && [ -f "$lib" ]
}

require() {
  local tool found
  for tool in "$@"; do
    case $tool in
      /*) [ -x "$tool" ] && found=1 || found= ;;
      libFuzzer) kavrin_has_libfuzzer && found=1 || found= ;;
      *) command -v "$tool" >/dev/null 2>&1 && found=1 || found= ;;
    esac
    [ -n "$found" ] && continue
    echo "$tool is missing: install the Debian package ${KAVRIN_TOOL_PACKAGE[$tool]:-that provides it}" \
      "(bash tools/install-deps.sh installs every package the project uses)" >&2
    exit 1
  done
}
