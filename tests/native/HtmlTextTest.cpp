#include <gtest/gtest.h>

#include "about/HtmlText.h"

namespace {

TEST(HtmlText, PagesBecomeReadableText) {
    struct Case {
        const char* html;
        const char* text;
    } cases[] = {
        {"<html><head><title>T</title><style>p{}</style></head><body><h1>Help</h1><p>One\n two</p></body></html>",
         "Help\n\nOne two"},
        {"<ol><li>Stop</li><li>Start</li></ol><p>Then</p>", "- Stop\n- Start\n\nThen"},
        {"<TABLE><TR><TD>1</TD><TD>Info</TD></TR></TABLE>", "1 Info"},
        {"f&auml;hrt &bdquo;x&ldquo; &lt;b&gt; &amp; &#252;&#xFC;", "f\xC3\xA4hrt \xE2\x80\x9Ex\xE2\x80\x9C <b> & \xC3\xBC\xC3\xBC"},
        {"a &unknown; & b &#; &#x110000;", "a &unknown; & b &#; \xEF\xBF\xBD"},
        {"<p>a</p>\n\n<p></p><p></p><p>b</p>", "a\n\nb"},
        {"x<!-- <p>hidden</p> -->y<script>alert(1)</SCRIPT>z", "xyz"},
        {"unfinished <b", "unfinished"},
        {"<style>never closed", ""},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(HtmlToText(c.html), c.text) << c.html;
}

}  // namespace
