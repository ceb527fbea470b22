// Reads UTF-8 lines from standard input and writes them to standard output in ascending order
// under the program's collation, dropping lines equal to an earlier one (letter case ignored).

#include "VLUtils/core/Collation.h"

#include <QString>
#include <QStringList>

#include <algorithm>
#include <iostream>
#include <string>

int main()
{
    QStringList rows;
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            rows.append(QString::fromStdString(line));
    }
    std::stable_sort(rows.begin(), rows.end(), vl::NameLess());
    const auto last = std::unique(rows.begin(), rows.end(), [](const QString &a, const QString &b) {
        return vl::CompareNames(a, b) == 0;
    });
    rows.erase(last, rows.end());
    for (const QString &row : rows)
        std::cout << row.toStdString() << '\n';
    return 0;
}
