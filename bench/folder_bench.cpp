// SPDX-License-Identifier: MIT
// A large home folder must never keep the user waiting: opening a folder of
// 1,000 sub-folders in the tree and listing a folder of 10,000 files in the
// file dialog each stay well under 100 ms.
#include "components/TExpViewLite.h"
#include "components/TFormFileSel.h"

#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// big/ holds 1,000 folders (every tenth with a folder inside, so the
// look-ahead meets both answers) and 10,000 files.
class BigFolder {
public:
    BigFolder()
    {
        const std::string big = Path() + "/";
        mkdir(big.c_str(), 0700);
        for (int i = 0; i < 1000; ++i) {
            const std::string folder = big + "folder" + std::to_string(i);
            mkdir(folder.c_str(), 0700);
            if (i % 10 == 0)
                mkdir((folder + "/inner").c_str(), 0700);
        }
        for (int i = 0; i < 10000; ++i) {
            const int fd = open((big + "file" + std::to_string(i) + (i % 2 ? ".txt" : ".log")).c_str(),
                                O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
            if (fd >= 0)
                close(fd);
        }
    }
    std::string Path() const { return dir_.path().toStdString() + "/big"; }

private:
    QTemporaryDir dir_;
};

const BigFolder& Folder()
{
    static const BigFolder folder;
    return folder;
}

void BM_ExpandThousandFolders(benchmark::State& state)
{
    const QString big = QString::fromStdString(Folder().Path());
    TExpViewLite tree;
    tree.Loaded();
    for (auto _ : state) {
        state.PauseTiming();
        tree.Update();
        tree.SetPathName(big);
        QTreeWidgetItem* node = tree.currentItem();
        state.ResumeTiming();
        tree.expandItem(node);
        benchmark::DoNotOptimize(node->childCount());
    }
}
BENCHMARK(BM_ExpandThousandFolders)->Unit(benchmark::kMillisecond);

void BM_ListTenThousandFiles(benchmark::State& state)
{
    TFormFileSel form;
    form.EViewLite->SetPathName(QString::fromStdString(Folder().Path()));
    form.EditFileType->setText(QStringLiteral("*.txt,*.log"));
    for (auto _ : state) {
        form.RefreshFileList();
        benchmark::DoNotOptimize(form.LBoxFiles->count());
    }
    if (form.LBoxFiles->count() != 10000)
        state.SkipWithError("the list does not hold the 10,000 files");
}
BENCHMARK(BM_ListTenThousandFiles)->Unit(benchmark::kMillisecond);

} // namespace
