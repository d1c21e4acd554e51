# Sourced: which Windows architecture Wine can run here. Wine runs 32-bit programs only where the
# Linux kernel runs 32-bit processes; some kernels are built without that (no IA32 emulation), and
# there the tests run a 64-bit build of the same sources while the 32-bit product is still built.
if [ -z "${zarvex_wine_arch:-}" ]; then
  if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
    zarvex_wine_arch=i686
  else
    zarvex_wine_arch=x86_64
  fi
  export zarvex_wine_arch
fi
