// Writes the IDAT streams of every PNG in a folder as seeds for fuzz_inflate
// (three control bytes, then the stream). Usage: fuzz_inflate_seeds IN_DIR OUT_DIR
#include <dirent.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    mkdir(argv[2], 0777);
    DIR* dir = opendir(argv[1]);
    if (!dir) return 2;
    int written = 0;
    while (dirent* e = readdir(dir)) {
        std::string name = e->d_name;
        if (name.size() < 5 || name.substr(name.size() - 4) != ".png") continue;
        FILE* f = fopen((std::string(argv[1]) + "/" + name).c_str(), "rb");
        if (!f) continue;
        std::vector<unsigned char> file;
        int c;
        while ((c = fgetc(f)) != EOF) file.push_back((unsigned char)c);
        fclose(f);
        // Chunk size 64 bytes (even: ends with IEND), output 64 KiB.
        std::vector<unsigned char> seed = {1, 0, 16};
        for (size_t at = 8; at + 12 <= file.size();) {
            size_t length = ((size_t)file[at] << 24) | (file[at + 1] << 16) | (file[at + 2] << 8) | file[at + 3];
            if (at + 12 + length > file.size()) break;
            if (memcmp(&file[at + 4], "IDAT", 4) == 0)
                seed.insert(seed.end(), file.begin() + at + 8, file.begin() + at + 8 + length);
            at += 12 + length;
        }
        FILE* out = fopen((std::string(argv[2]) + "/" + name + ".seed").c_str(), "wb");
        if (!out) return 2;
        fwrite(seed.data(), 1, seed.size(), out);
        fclose(out);
        ++written;
    }
    closedir(dir);
    return written > 0 ? 0 : 1;
}
