#include "ip_page.h"

#include <gtest/gtest.h>

namespace zep {
namespace {

TEST(IpPage, MarkersReplacedInAnyCase) {
    EXPECT_EQ(MakeIPPageText("<a href=\"http://<!--ip-->/\"><!--IP--></a>\r\n", "203.0.113.7"),
              "<a href=\"http://203.0.113.7/\">203.0.113.7</a>\r\n");
    EXPECT_EQ(MakeIPPageText("<html>\r\n<!--Ip-->\r\n</html>\r\n", "1.2.3.4"), "<html>\r\n1.2.3.4\r\n</html>\r\n");
    EXPECT_EQ(MakeIPPageText("<!-- ip --> <!--ip->", "1.2.3.4"), "<!-- ip --> <!--ip->\r\n");
}

TEST(IpPage, LineEndsBecomeCrLf) {
    EXPECT_EQ(MakeIPPageText("a\nb\n", "x"), "a\r\nb\r\n");
    EXPECT_EQ(MakeIPPageText("a\rb\r\n\nc\n\rd", "x"), "a\r\nb\r\n\r\nc\r\n\r\nd\r\n");
    EXPECT_EQ(MakeIPPageText("\n<!--ip-->", "x"), "\r\nx\r\n");
    EXPECT_EQ(MakeIPPageText("", "x"), "");
}

TEST(IpPage, DoubleByteTextIsCopiedUnchanged) {
    // The second bytes of 83 41, 83 49 and 83 50 are 'A', 'I' and 'P': they must stay upper-case.
    EXPECT_EQ(MakeIPPageText("\x83\x41\x83\x49<!--IP-->\x83\x50\x82\xA0\r\n\x83\x49\x83\x50-->", "1.2.3.4"),
              "\x83\x41\x83\x49" "1.2.3.4\x83\x50\x82\xA0\r\n\x83\x49\x83\x50-->\r\n");
}

TEST(IpPage, TheAddressGoesInAsTextNeverAsMarkup) {
    EXPECT_EQ(MakeIPPageText("<a title=\"<!--ip-->\"><!--ip--></a>", "<script>x('&')</script>\""),
              "<a title=\"&lt;script&gt;x(&#39;&amp;&#39;)&lt;/script&gt;&quot;\">"
              "&lt;script&gt;x(&#39;&amp;&#39;)&lt;/script&gt;&quot;</a>\r\n");
    // An address that holds the marker is inserted once, as text.
    EXPECT_EQ(MakeIPPageText("[<!--ip-->][<!--ip-->]", "<!--IP-->"), "[&lt;!--IP--&gt;][&lt;!--IP--&gt;]\r\n");
    EXPECT_EQ(MakeIPPageText("<p><!--ip--></p>", " 2001:db8::1"), "<p> 2001:db8::1</p>\r\n");
}

}  // namespace
}  // namespace zep
