// Runs a fuzz target once on every file of the folders (or files) given on
// the command line, without libFuzzer: the corpus as a regression test.

#include <cstdint>
#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

int runFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return 1;
    }
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    int inputs = 0;
    int failures = 0;
    for (int i = 1; i < argc; ++i) {
        struct stat st {};
        if (stat(argv[i], &st) != 0) {
            std::fprintf(stderr, "no such corpus: %s\n", argv[i]);
            return 1;
        }
        if (!S_ISDIR(st.st_mode)) {
            failures += runFile(argv[i]);
            ++inputs;
            continue;
        }
        DIR *dir = opendir(argv[i]);
        if (!dir)
            return 1;
        while (const dirent *entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name == "." || name == "..")
                continue;
            failures += runFile(std::string(argv[i]) + "/" + name);
            ++inputs;
        }
        closedir(dir);
    }
    std::printf("%d inputs replayed\n", inputs);
    // An empty corpus means the seeds went missing: that is a failure too.
    return (failures == 0 && inputs > 0) ? 0 : 1;
}
