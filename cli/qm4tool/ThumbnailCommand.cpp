// thumbnail: a preview of the scene for file managers.

#include <iostream>

#include "Commands.h"
#include "common/NumberText.h"
#include "interchange/ImageCodec.h"
#include "interchange/InterchangeMessages.h"
#include "interchange/Thumbnail.h"

namespace qm4tool {

int RunThumbnail(const std::vector<std::string>& args)
{
    const Command& self = *FindCommand("thumbnail");
    Arguments o;
    if (std::string why = ParseArguments(args, {}, {}, o); !why.empty())
        return UsageError(self, why);
    if (o.positional.size() != 3)
        return UsageError(self);
    std::int64_t size = 0;
    if (!common::ParseIntField(o.positional[2], size) || size < interchange::MIN_THUMBNAIL_SIZE ||
        size > interchange::MAX_THUMBNAIL_SIZE)
        return UsageError(self, "SIZE must be a whole number from 1 to 2048: " + o.positional[2]);

    scene::CQM4EditDoc doc;
    if (!LoadScene(doc, o.positional[0]))
        return EXIT_FAILED;
    const auto sceneFolder = common::PathFromUtf8(o.positional[0]).parent_path();
    const texture::RgbaImage preview =
        interchange::SceneThumbnail(doc, sceneFolder.empty() ? "." : sceneFolder, static_cast<int>(size));
    if (!interchange::WritePngFile(common::PathFromUtf8(o.positional[1]), preview)) {
        std::cerr << interchange::CannotWriteMessage(o.positional[1]) << '\n';
        return EXIT_FAILED;
    }
    return EXIT_OK;
}

} // namespace qm4tool
