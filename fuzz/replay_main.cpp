// Replays a fuzz target's corpus: every regular file under the folders (or
// the files) named on the command line is fed once to LLVMFuzzerTestOneInput.
// A check that fails inside the target aborts, which fails the test. An empty
// corpus fails too, so a mistyped folder cannot pass silently.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace fs = std::filesystem;

namespace {

void collect(const fs::path& path, std::vector<fs::path>& files) {
  if (fs::is_regular_file(path)) {
    files.push_back(path);
    return;
  }
  if (!fs::is_directory(path))
    return;
  for (const auto& entry : fs::recursive_directory_iterator(path))
    if (entry.is_regular_file())
      files.push_back(entry.path());
}

}  // namespace

int main(int argc, char** argv) {
  if (LLVMFuzzerInitialize)
    LLVMFuzzerInitialize(&argc, &argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s corpus-folder-or-file...\n", argv[0]);
    return 2;
  }
  std::vector<fs::path> files;
  for (int i = 1; i < argc; ++i)
    collect(argv[i], files);
  std::sort(files.begin(), files.end());
  if (files.empty()) {
    std::fprintf(stderr, "%s: no corpus files found\n", argv[0]);
    return 1;
  }
  for (const fs::path& file : files) {
    std::ifstream in(file, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // A heap block of exactly the input's size, so a read past its end is
    // caught by the sanitizer builds.
    std::unique_ptr<uint8_t[]> input(new uint8_t[bytes.size() + (bytes.empty() ? 1 : 0)]);
    std::copy(bytes.begin(), bytes.end(), input.get());
    LLVMFuzzerTestOneInput(input.get(), bytes.size());
  }
  std::printf("replayed %zu inputs\n", files.size());
  return 0;
}
