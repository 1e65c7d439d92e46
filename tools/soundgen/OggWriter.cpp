#include "OggWriter.h"

#include "Synth.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cstring>

namespace soundgen
{

namespace
{

void AppendPage(const ogg_page& page, std::vector<unsigned char>& bytes)
{
    bytes.insert(bytes.end(), page.header, page.header + page.header_len);
    bytes.insert(bytes.end(), page.body, page.body + page.body_len);
}

} // namespace

bool EncodeOgg(const std::vector<const std::vector<float>*>& channels, double quality, const std::string& title,
               std::vector<unsigned char>& bytes, std::string& error)
{
    int count = static_cast<int>(channels.size());
    if (count < 1 || count > 2)
    {
        error = "one or two channels";
        return false;
    }
    size_t frames = channels[0]->size();

    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, count, SampleRate, static_cast<float>(quality)) != 0)
    {
        vorbis_info_clear(&info);
        error = "the encoder refused its settings";
        return false;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_comment_add_tag(&comment, "TITLE", title.c_str());
    vorbis_comment_add_tag(&comment, "ARTIST", "Tibble the Bee (soundgen)");

    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 0x7BEE0001); // fixed serial: reproducible files

    ogg_packet header;
    ogg_packet commentPacket;
    ogg_packet codebooks;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentPacket, &codebooks);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentPacket);
    ogg_stream_packetin(&stream, &codebooks);
    ogg_page page;
    bytes.clear();
    while (ogg_stream_flush(&stream, &page) != 0)
    {
        AppendPage(page, bytes);
    }

    const size_t chunk = 4096;
    size_t done = 0;
    bool finished = false;
    while (!finished)
    {
        size_t n = std::min(chunk, frames - done);
        if (n > 0)
        {
            float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(n));
            for (int c = 0; c < count; ++c)
            {
                std::memcpy(buffer[c], channels[static_cast<size_t>(c)]->data() + done, n * sizeof(float));
            }
            vorbis_analysis_wrote(&dsp, static_cast<int>(n));
            done += n;
        }
        else
        {
            vorbis_analysis_wrote(&dsp, 0); // end of stream
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1)
        {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet) == 1)
            {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0)
                {
                    AppendPage(page, bytes);
                    if (ogg_page_eos(&page))
                    {
                        finished = true;
                    }
                }
            }
        }
        if (n == 0 && !finished)
        {
            while (ogg_stream_flush(&stream, &page) != 0)
            {
                AppendPage(page, bytes);
            }
            finished = true;
        }
    }

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return true;
}

} // namespace soundgen
