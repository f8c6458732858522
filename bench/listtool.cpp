// The word list alone, for bench/biglists:
//   listtool generate PATH MEGABYTES   writes a generated list of that size
//   listtool load PATH                 times one LoadFromFile into an empty list and
//                                      prints the milliseconds
#include "Generate.h"
#include "WordList.h"

#include <QFile>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char **argv)
{
    if (argc == 4 && std::strcmp(argv[1], "generate") == 0) {
        const QByteArray bytes = GenerateList(qint64(std::atof(argv[3]) * 1e6), 0);
        QFile f(QString::fromLocal8Bit(argv[2]));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "listtool: cannot write %s\n", argv[2]);
            return 1;
        }
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "load") == 0) {
        WordList list; // into an empty list in a fresh process, as the program's first load
        const auto start = std::chrono::steady_clock::now();
        list.LoadFromFile(QString::fromLocal8Bit(argv[2]));
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        std::printf("%.2f\n", took.count());
        return 0;
    }
    std::fprintf(stderr, "usage: listtool generate PATH MEGABYTES | listtool load PATH\n");
    return 2;
}
