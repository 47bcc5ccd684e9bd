#include "cli/output_plan.h"

#include "cli/convert_one.h"

#include <QDir>
#include <QFileInfo>

#include <map>

bool OutputIsFolder(const CliOptions& options) {
    return options.inputs.size() > 1 || QFileInfo(options.output).isDir() || options.output.endsWith(u'/');
}

namespace {

bool IsJpegName(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == u"jpg" || suffix == u"jpeg";
}

// Several inputs cannot go into one file: refused when -o is an existing
// file or a name that reads as a JPEG file.
QString SeveralIntoOneFile(const CliOptions& o) {
    if (o.inputs.size() < 2 || o.output.endsWith(u'/')) return {};
    const QFileInfo out(o.output);
    if (out.exists() && !out.isDir())
        return QStringLiteral("-o %1: several inputs need a folder, and this is a file").arg(o.output);
    if (!out.exists() && IsJpegName(o.output))
        return QStringLiteral("-o %1: several inputs need a folder (write %1/ to make a folder of that name)")
            .arg(o.output);
    return {};
}

// Two inputs onto the same file: the first pair found, by their absolute
// output paths (so "out/a_out.jpg" and "./out/a_out.jpg" are one file).
QString Collision(const CliOptions& o, const QStringList& outputs) {
    std::map<QString, qsizetype> firstWriter;
    for (qsizetype i = 0; i < outputs.size(); ++i) {
        const QString key = QDir::cleanPath(QFileInfo(outputs[i]).absoluteFilePath());
        const auto [it, added] = firstWriter.emplace(key, i);
        if (!added)
            return QStringLiteral("%1 and %2 would both be written to %3; nothing was converted")
                .arg(o.inputs[it->second], o.inputs[i], outputs[i]);
    }
    return {};
}

}  // namespace

OutputPlan PlanOutputs(const CliOptions& o) {
    OutputPlan plan;
    plan.error = SeveralIntoOneFile(o);
    if (!plan.error.isEmpty()) return plan;
    for (const QString& input : o.inputs) plan.outputs << OutputPathFor(o, input);
    plan.error = Collision(o, plan.outputs);
    if (!plan.error.isEmpty()) {
        plan.outputs.clear();
        return plan;
    }
    if (OutputIsFolder(o)) {
        if (!QFileInfo(o.output).isDir()) plan.folderToCreate = o.output;
    } else if (!IsJpegName(o.output)) {
        plan.warnings << QStringLiteral("warning: %1 will hold JPEG data whatever its extension").arg(o.output);
    }
    return plan;
}
