#include "imaging/core/logfont.h"

#include <algorithm>

QString LOGFONTW::faceName() const {
    const auto end = std::find(lfFaceName.begin(), lfFaceName.end(), u'\0');
    return QString(reinterpret_cast<const QChar*>(lfFaceName.data()), static_cast<qsizetype>(end - lfFaceName.begin()));
}

void LOGFONTW::setFaceName(const QString& name) {
    lfFaceName.fill(u'\0');
    qsizetype n = std::min<qsizetype>(name.size(), kFaceNameSize - 1);
    // Never leave half of a surrogate pair at the cut.
    if (n > 0 && n < name.size() && name.at(n - 1).isHighSurrogate()) --n;
    for (qsizetype i = 0; i < n; ++i) lfFaceName[static_cast<size_t>(i)] = name.at(i).unicode();
}
