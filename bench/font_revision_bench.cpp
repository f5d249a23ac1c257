// ReadFontRevision reads a few fields, not the file: its cost must not grow with the font's size. Each case
// reports the bytes the reader asked for and the bytes the standard library pulled from the file for it.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

#include "installer/font_revision.h"

namespace {

// A font-shaped file of `size` bytes: 16 table records, "head" the last of them, its table at the very end.
std::string MakeFont(size_t size) {
    char path[] = "/tmp/fontrev-bench-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) std::abort();
    close(fd);
    std::vector<unsigned char> bytes(size, 0x5A);
    const unsigned numTables = 16;
    unsigned char header[12] = {0, 1, 0, 0, 0, static_cast<unsigned char>(numTables), 0, 0, 0, 0, 0, 0};
    std::copy(header, header + 12, bytes.begin());
    const uint32_t headOffset = static_cast<uint32_t>(size - 54);
    for (unsigned i = 0; i < numTables; ++i) {
        unsigned char* record = bytes.data() + 12 + 16 * i;
        std::copy_n(i + 1 == numTables ? "head" : "glyf", 4, record);
        for (int b = 0; b < 4; ++b) record[8 + b] = static_cast<unsigned char>(headOffset >> (24 - 8 * b));
    }
    const unsigned char revision[8] = {0, 1, 0, 0, 0, 2, 0x09, 0x79};
    std::copy(revision, revision + 8, bytes.begin() + headOffset);
    std::FILE* out = std::fopen(path, "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
    return path;
}

// Counts what the reader pulls through a stream: every read call the standard library makes on the file.
struct CountingFile {
    std::FILE* file;
    size_t bytes = 0;
};

ssize_t CountingRead(void* cookie, char* buffer, size_t size) {
    auto* counting = static_cast<CountingFile*>(cookie);
    const size_t read = std::fread(buffer, 1, size, counting->file);
    counting->bytes += read;
    return static_cast<ssize_t>(read);
}

int CountingSeek(void* cookie, off64_t* offset, int whence) {
    auto* counting = static_cast<CountingFile*>(cookie);
    if (fseeko(counting->file, *offset, whence) != 0) return -1;
    *offset = ftello(counting->file);
    return 0;
}

void BM_ReadFontRevision(benchmark::State& state) {
    const std::string path = MakeFont(static_cast<size_t>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(ReadFontRevision(path.c_str()));
    if (ReadFontRevision(path.c_str()) != 0x00020979) state.SkipWithError("wrong revision");

    CountingFile counting{std::fopen(path.c_str(), "rb")};
    std::FILE* stream = fopencookie(&counting, "rb", cookie_io_functions_t{CountingRead, nullptr, CountingSeek, nullptr});
    ReadFontRevisionFrom(stream);
    std::fclose(stream);
    std::fclose(counting.file);
    state.counters["bytes_asked"] = 12 + 16 * 16 + 8;
    state.counters["bytes_read_from_file"] = static_cast<double>(counting.bytes);
    state.counters["file_bytes"] = static_cast<double>(state.range(0));
    std::remove(path.c_str());
}
BENCHMARK(BM_ReadFontRevision)->Arg(20 * 1024)->Arg(20 * 1024 * 1024);

}  // namespace

BENCHMARK_MAIN();
