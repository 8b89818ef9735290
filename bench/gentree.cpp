// Builds the benchmark tree: a deterministic folder tree of sparse files
// (sizes only, no data blocks), so that scans of it measure the walk.
//
//   quillfen-gentree FOLDER [FILES]     (default 200000 files)

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::uint64_t state = 0x2545F4914F6CDD1DULL;

std::uint64_t next() {
    // xorshift64*: the same sequence on every machine.
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    return state * 0x2545F4914F6CDD1DULL;
}

bool makeFolder(const std::string& path) {
    return ::mkdir(path.c_str(), 0755) == 0 || errno == EEXIST;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: quillfen-gentree FOLDER [FILES]\n");
        return 2;
    }
    const std::string root = argv[1];
    const long files = argc > 2 ? std::strtol(argv[2], nullptr, 10) : 200000;
    if (files <= 0 || !makeFolder(root)) {
        std::fprintf(stderr, "quillfen-gentree: cannot use %s\n", root.c_str());
        return 1;
    }
    static const char* const extensions[] = {".jpg", ".txt", ".mp3", ".DAT", ".doc", ""};
    const long perFolder = 200;
    const long subfolders = 20;
    std::uint64_t earlier[64] = {};
    for (long i = 0; i < files; ++i) {
        const long folderNumber = i / perFolder;
        char folder[64];
        std::snprintf(folder, sizeof folder, "/top%03ld/sub%02ld", folderNumber / subfolders,
                      folderNumber % subfolders);
        const std::string folderPath = root + folder;
        if (i % perFolder == 0 &&
            (!makeFolder(folderPath.substr(0, folderPath.rfind('/'))) || !makeFolder(folderPath))) {
            std::fprintf(stderr, "quillfen-gentree: cannot create %s\n", folderPath.c_str());
            return 1;
        }
        // Most sizes are drawn from a wide range (about two in five then
        // share their size by chance); every tenth file repeats a recent size.
        std::uint64_t size = 1 + next() % 400000;
        if (i % 10 == 9)
            size = earlier[next() % 64];
        earlier[i % 64] = size;
        char name[64];
        std::snprintf(name, sizeof name, "/file%07ld%s", i, extensions[i % 6]);
        const std::string path = folderPath + name;
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || ::ftruncate(fd, off_t(size)) != 0) {
            std::fprintf(stderr, "quillfen-gentree: cannot write %s\n", path.c_str());
            return 1;
        }
        ::close(fd);
    }
    std::printf("%ld files under %s\n", files, root.c_str());
    return 0;
}
