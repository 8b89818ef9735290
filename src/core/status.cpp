#include "core/status.h"

#include "core/format.h"

namespace quillfen {

using namespace Qt::StringLiterals;

StatusTexts update(const AppState& state, quint32 now) {
    StatusTexts texts;
    texts.labelfound1 = QString::number(state.filesfound.load());
    texts.labelskipped1 = QString::number(state.filesskipped.load());
    texts.labelunreadable1 = QString::number(state.filesunreadable.load());
    texts.labelmbnow1 = QString::number(qint64(roundHalfEven(state.kbdoneValue()))) + u" KB"_s;
    const quint32 elapsed = now - state.starttick; // wraps like the tick count
    texts.labeltime1 = secondstoclock(qint64(roundHalfEven(double(elapsed) / 1000.0)));
    texts.labelfilescomp1 = QString::number(state.filescompared.load());
    texts.curdir1 = state.curfolder.get();
    texts.text1 = state.comparefile1.get();
    texts.text2 = state.comparefile2.get();
    return texts;
}

} // namespace quillfen
