#include "Writers.h"

#include <gtest/gtest.h>

#include <cstring>

#include "SmallScene.h"
#include "ScriptedPrompt.h"
#include "common/AtomicFile.h"
#include "scene/QM4EditDoc.h"
#include "scene/SceneMessages.h"
#include "scene/csv/CsvExchange.h"
#include "scene/csv/CsvMessages.h"
#include "texture/PixloomDoc.h"
#include "texture/TexMessages.h"

namespace fs = std::filesystem;
using common::MessageIcon;

namespace fault {

namespace {

std::vector<std::uint8_t> TexBytes(int w, int h, int bpp)
{
    std::vector<std::uint8_t> f(32, 0);
    for (int i = 0; i < 20; ++i)
        f[i] = static_cast<std::uint8_t>('a' + i);
    auto put = [&](std::size_t at, std::int32_t v) {
        for (int i = 0; i < 4; ++i)
            f[at + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i));
    };
    put(20, w);
    put(24, h);
    put(28, bpp);
    for (int i = 0; i < w * h * (bpp / 8); ++i)
        f.push_back(static_cast<std::uint8_t>(i * 7 + 3));
    return f;
}

WriteOutcome FromPrompt(bool ok, const ScriptedPrompt& prompt)
{
    WriteOutcome out;
    out.ok = ok;
    for (const auto& s : prompt.All()) {
        out.messages.push_back(s.text);
        out.icon = s.icon;
    }
    return out;
}

class SceneSave final : public DocWriter {
public:
    SceneSave() { EXPECT_TRUE(m_doc.Serialize(fuzz::SmallSceneBytes()).Ok()); }
    std::string FileName() const override { return "scene.qm4"; }
    void Change() override
    {
        const scene::ObjectVertex v = m_doc.GetVertex(3);
        m_doc.SetVertexAndUpdate(3, v.x + 1.5f, v.y, v.z - 2.0f);
    }
    WriteOutcome Write(const fs::path& path, common::IFileSystem& fs) override
    {
        const scene::SaveResult r = m_doc.OnSaveDocument(path, fs);
        WriteOutcome out;
        out.ok = r.ok;
        if (!r.message.empty())
            out.messages.push_back(r.message);
        out.icon = r.icon;
        return out;
    }
    std::vector<std::uint8_t> Expected() override { return m_doc.SaveToBytes(); }
    std::string FailureMessage(const fs::path&) const override { return scene::MSG_SAVE_FAILED; }
    MessageIcon FailureIcon() const override { return MessageIcon::Stop; }
    bool KeepsModifiedOnFailure() const override { return true; }
    bool IsModified() const override { return m_doc.IsModified(); }

private:
    scene::CQM4EditDoc m_doc;
};

class TextureWriter : public DocWriter {
public:
    TextureWriter()
    {
        ScriptedPrompt p;
        EXPECT_TRUE(m_doc.ReadTex(TexBytes(9, 6, 24), p));
    }
    void Change() override
    {
        std::uint8_t* px = m_doc.GetPixel(m_changes % 9, 2);
        px[0] ^= 0xFF;
        px[2] ^= 0x55;
        ++m_changes;
        m_doc.SetModifiedFlag(true);
    }
    MessageIcon FailureIcon() const override { return MessageIcon::Exclamation; }
    std::string FailureMessage(const fs::path& path) const override
    {
        return texture::msg::CannotWrite(common::PathToUtf8(path));
    }

protected:
    texture::CPixloomDoc m_doc;
    int m_changes = 0;
};

class TextureSave final : public TextureWriter {
public:
    std::string FileName() const override { return "wall.tex"; }
    WriteOutcome Write(const fs::path& path, common::IFileSystem& fs) override
    {
        ScriptedPrompt p;
        m_doc.SetFileSystem(fs);
        const bool ok = m_doc.OnSaveDocument(path, p);
        m_doc.SetFileSystem(common::RealFileSystem());
        return FromPrompt(ok, p);
    }
    std::vector<std::uint8_t> Expected() override
    {
        std::vector<std::uint8_t> out;
        m_doc.WriteTex(out);
        return out;
    }
    bool KeepsModifiedOnFailure() const override { return true; }
    bool IsModified() const override { return m_doc.IsModified(); }
};

class TargaExport final : public TextureWriter {
public:
    std::string FileName() const override { return "wall.tga"; }
    WriteOutcome Write(const fs::path& path, common::IFileSystem& fs) override
    {
        ScriptedPrompt p;
        m_doc.SetFileSystem(fs);
        const bool ok = m_doc.ExportTarga(path, p);
        m_doc.SetFileSystem(common::RealFileSystem());
        return FromPrompt(ok, p);
    }
    std::vector<std::uint8_t> Expected() override
    {
        std::vector<std::uint8_t> out;
        m_doc.WriteTarga(out);
        return out;
    }
};

class CsvExport final : public DocWriter {
public:
    CsvExport() { EXPECT_TRUE(m_doc.Serialize(fuzz::SmallSceneBytes()).Ok()); }
    std::string FileName() const override { return "scene.csv"; }
    void Change() override
    {
        const scene::ObjectVertex v = m_doc.GetVertex(1);
        m_doc.SetVertex(1, v.x - 0.25f, v.y + 4.0f, v.z);
    }
    WriteOutcome Write(const fs::path& path, common::IFileSystem& fs) override
    {
        const scene::CsvFileResult r =
            scene::ExportCsvFile(m_doc, path, scene::CSV_OBJECT_POLYGONS, scene::CsvScope{}, fs);
        WriteOutcome out;
        out.ok = r.ok;
        if (!r.message.empty())
            out.messages.push_back(r.message);
        out.icon = r.ok ? MessageIcon::None : MessageIcon::Stop;
        return out;
    }
    std::vector<std::uint8_t> Expected() override
    {
        const std::string s = scene::BuildCsvExport(m_doc, scene::CSV_OBJECT_POLYGONS, scene::CsvScope{});
        return {s.begin(), s.end()};
    }
    std::string FailureMessage(const fs::path& path) const override
    {
        return scene::CsvCannotWriteMessage(common::PathToUtf8(path));
    }
    // The CSV result carries no icon of its own; the programs show it with the stop icon.
    MessageIcon FailureIcon() const override { return MessageIcon::Stop; }

private:
    scene::CQM4EditDoc m_doc;
};

} // namespace

const char* WriterName(WriterKind k)
{
    switch (k) {
    case WriterKind::SceneSave: return "SceneSave";
    case WriterKind::TextureSave: return "TextureSave";
    case WriterKind::TargaExport: return "TargaExport";
    case WriterKind::CsvExport: return "CsvExport";
    }
    return "?";
}

std::unique_ptr<DocWriter> MakeWriter(WriterKind k)
{
    switch (k) {
    case WriterKind::SceneSave: return std::make_unique<SceneSave>();
    case WriterKind::TextureSave: return std::make_unique<TextureSave>();
    case WriterKind::TargaExport: return std::make_unique<TargaExport>();
    case WriterKind::CsvExport: return std::make_unique<CsvExport>();
    }
    return nullptr;
}

} // namespace fault
