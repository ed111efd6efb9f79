#include "tools/rurizuda-report/FailedItems.h"

std::vector<std::string> FailedItems(const ReportRow& row)
{
    std::vector<std::string> failed;
    for (const auto& item : kItemColumns) {
        const std::string& value = row.Column(item.column);
        if (!value.empty() && value != item.pass)
            failed.push_back(item.item);
    }
    return failed;
}
