// Started by scripts/test to learn whether this host runs 32-bit Windows
// programs; the exit code shows that it really ran.
int main() {
  constexpr int kRan = 42;
  return kRan;
}
