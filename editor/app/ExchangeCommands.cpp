#include "editor/app/ExchangeCommands.h"

namespace qm4edit {

void CExchangeCommands::Report(const QString& status)
{
    if (!status.isEmpty())
        m_status(status);
}

void CExchangeCommands::ShowEditVertexDialog(int vertexIndex)
{
    qm4edit::ShowEditVertexDialog(m_context(), vertexIndex);
}

void CExchangeCommands::ShowObjectInfoDialog(int objectIndex)
{
    qm4edit::ShowObjectInfoDialog(m_context(), objectIndex);
}

void CExchangeCommands::ShowPolygonInfoDialog(int objectIndex, int polygonIndex)
{
    qm4edit::ShowPolygonInfoDialog(m_context(), objectIndex, polygonIndex);
}

void CExchangeCommands::ImportCsv(TreeItemKind selectedKind, int selectedData)
{
    Report(qm4edit::ImportCsv(m_context(), selectedKind, selectedData));
}

void CExchangeCommands::ExportCsv(TreeItemKind selectedKind, int selectedData)
{
    Report(qm4edit::ExportCsv(m_context(), selectedKind, selectedData));
}

void CExchangeCommands::ExportObjectCsv(int objectIndex)
{
    Report(qm4edit::ExportObjectCsv(m_context(), objectIndex));
}

void CExchangeCommands::ExportPolygonCsv(int objectIndex, int polygonIndex)
{
    Report(qm4edit::ExportPolygonCsv(m_context(), objectIndex, polygonIndex));
}

void CExchangeCommands::ExportModel(const QString& sceneFolder)
{
    Report(qm4edit::ExportModel(m_context(), sceneFolder));
}

void CExchangeCommands::ImportModel()
{
    Report(qm4edit::ImportModel(m_context()));
}

} // namespace qm4edit
