// A shared library that is not an effect: it exports no EntryPointFunc.
extern "C" int NotAnEntryPoint() {
  return 0;
}
