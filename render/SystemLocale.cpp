#include "render/SystemLocale.h"

#include <QLocale>
#include <QString>

#include "worksheets/DecimalSeparator.h"

namespace kv4gui {

char SystemDecimalSeparator() {
    return kv4::CellDecimalSeparator(QLocale::system().decimalPoint().toStdU32String());
}

}  // namespace kv4gui
