// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a fuzz target once over every input of the given files and folders,
// in name order, without libFuzzer: the seeds and what the fuzzer found are
// replayed by every build's tests, so that a mended finding stays mended.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdint>
#include <cstdio>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);
extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) __attribute__((weak));

namespace {

QStringList inputsOf(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isDir())
        return {path};
    QStringList files;
    QDir dir(path);
    for (const QString &name : dir.entryList(QDir::Files, QDir::Name))
        files.append(dir.filePath(name));
    return files;
}

} // namespace

int main(int argc, char **argv)
{
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        for (const QString &path : inputsOf(QString::fromLocal8Bit(argv[i]))) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
                return 1;
            }
            // A copy of its own, so that a read past its end is caught.
            const QByteArray bytes = file.readAll();
            std::vector<uint8_t> input(bytes.begin(), bytes.end());
            LLVMFuzzerTestOneInput(input.data(), input.size());
            ++count;
        }
    }
    std::printf("%d inputs replayed\n", count);
    // Nothing to replay is a broken set-up, not a pass.
    return count > 0 ? 0 : 1;
}
