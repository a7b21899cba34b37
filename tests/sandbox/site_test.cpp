#include "sandbox/site.h"

#include <gtest/gtest.h>
#include <sys/time.h>

#include <filesystem>

#include "sandbox/engine_markers.h"
#include "sandbox/fake_engines.h"
#include "search/translation.h"
#include "support/temp_dir.h"

namespace orvi::sandbox {
namespace {

constexpr std::string_view kBase = "http://127.0.0.1:8421";

class SandboxSite : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(dir_.File("sites/zebrapad/empty"));
    std::filesystem::create_directories(dir_.File("sites/mp3"));
    dir_.Write("sites/zebrapad/index.html", "<html><a href=\"{base}/zebrapad/x.zip\">x</a></html>");
    dir_.Write("sites/mp3/local.mp3", "local");
    dir_.Write("secret.txt", "secret");
    timeval times[2] = {{1046595600, 0}, {1046595600, 0}};  // 2003-03-02 09:00:00 UTC
    ::utimes(dir_.File("sites/mp3/local.mp3").c_str(), times);
    Fixture fixture;
    std::string error;
    ASSERT_TRUE(fixture.Parse("[google fast wisenut] mozart mp3\ntotal 1,234\n{base}/p{1..250}.html\n"
                              "[files]\n/mp3/mozart/requiem.mp3 4213556 2002-11-03 21:14:05\n"
                              "/zebrapad/fichiers/zebrapad21.zip 1843200 2003-03-02 09:00\n"
                              "[translate] Le  Chat\nthe cat\n[translate] \xC3\xA7" "a va\nhow are you\n"
                              "[text] /files/version.txt\nVersion 2\n# not part of it\nDeux lignes\n",
                              "t.txt", error))
        << error;
    site_ = std::make_unique<Site>(std::move(fixture), dir_.File("sites"));
  }

  Response Get(std::string_view target, std::string_view extra = "", std::string_view method = "GET") {
    Request request;
    std::string head = std::string(method) + " " + std::string(target) + " HTTP/1.1\r\n" + std::string(extra) + "\r\n";
    EXPECT_EQ(ParseRequest(head, request), ParseResult::Complete) << head;
    return site_->Respond(request, kBase);
  }

  static std::string Header(const Response& r, std::string_view name) {
    for (const auto& [key, value] : r.headers) {
      if (key == name) return value;
    }
    return {};
  }

  size_t Found(std::string_view target) { return Get(target).body.find(std::string(kBase) + "/p"); }

  orvi::test::TempDir dir_;
  std::unique_ptr<Site> site_;
};

TEST_F(SandboxSite, SearchPathsGoToTheEngineTheParametersName) {
  auto google = test::ReadGoogle(Get("/search?q=mozart+mp3&num=50&hl=en&lr=&safe=off&start=50&sa=N").body);
  EXPECT_EQ(google.total, 1234);
  ASSERT_EQ(google.links.size(), 50u);
  EXPECT_EQ(google.links[0], std::string(kBase) + "/p51.html");
  // 10 a page unless num says otherwise; garbage reads as absent.
  EXPECT_EQ(test::ReadGoogle(Get("/search?q=mozart+mp3&start=-5").body).links.size(), 10u);

  auto fast = test::ReadFast(Get("/search?t=all&o=200&q=mozart+mp3&c=web&s=full&l=any&no=off&hits=50").body);
  ASSERT_EQ(fast.links.size(), 50u);
  EXPECT_EQ(fast.links.back(), std::string(kBase) + "/p250.html");
  // Past the end Fast and WiseNut give no link (Google repeats its last page).
  EXPECT_TRUE(test::ReadFast(Get("/search?o=250&q=mozart+mp3&hits=50").body).links.empty());
  EXPECT_TRUE(test::ReadWiseNut(Get("/search/query.dll?p=25&q=mozart+mp3").body).links.empty());

  // WiseNut gives 100 results a page through its cookie only.
  auto wisenut = test::ReadWiseNut(
      Get("/search/query.dll?p=2&q=mozart+mp3", "Cookie: cookie%5Ftest=true; wisenut=ppat=0&nnum=100&ssl=\r\n").body);
  ASSERT_EQ(wisenut.links.size(), 50u);
  EXPECT_EQ(wisenut.links[0], std::string(kBase) + "/p201.html");
  EXPECT_EQ(test::ReadWiseNut(Get("/search/query.dll?p=0&q=mozart+mp3").body).links.size(), 10u);

  for (std::string_view unknown : {"/search?q=bach&start=0", "/search?t=all&o=0&q=bach", "/search/query.dll?q=bach",
                                   "/search"}) {
    EXPECT_EQ(Get(unknown).status, 200);
    EXPECT_EQ(Found(unknown), std::string::npos) << unknown;
  }
}

TEST_F(SandboxSite, FilesPagesAndFolders) {
  Response served = Get("/mp3/mozart/requiem%2Emp3", "", "HEAD");
  EXPECT_EQ(served.ContentLength(), 4213556u);
  EXPECT_EQ(served.contentType, "audio/mpeg");
  EXPECT_EQ(Header(served, "Last-Modified"), "Sun, 03 Nov 2002 21:14:05 GMT");

  Response stored = Get("/zebrapad/./../mp3/local.mp3");  // dot segments resolve as on any server
  EXPECT_EQ(stored.kind, Response::Body::File);
  EXPECT_EQ(stored.ContentLength(), 5u);
  EXPECT_EQ(Header(stored, "Last-Modified"), "Sun, 02 Mar 2003 09:00:00 GMT");

  Response page = Get("/zebrapad/");
  EXPECT_EQ(page.body, "<html><a href=\"http://127.0.0.1:8421/zebrapad/x.zip\">x</a></html>");
  EXPECT_EQ(page.ContentLength(), page.body.size());

  // Folders without an index are listed; asked without their slash, redirected.
  Response listing = Get("/mp3/");
  EXPECT_NE(listing.body.find("<title>Index of /mp3</title>"), std::string::npos);
  EXPECT_NE(listing.body.find("<a href=\"local.mp3\">local.mp3</a>"), std::string::npos);  // stored
  EXPECT_NE(listing.body.find("<a href=\"mozart/\">mozart/</a>"), std::string::npos);      // served
  EXPECT_NE(Get("/mp3/mozart/").body.find("requiem.mp3</a>" + std::string(29, ' ') + "03-Nov-2002 21:14  4.0M"),
            std::string::npos);
  EXPECT_NE(Get("/zebrapad/fichiers/").body.find("zebrapad21.zip"), std::string::npos);
  EXPECT_EQ(Get("/zebrapad/empty/").status, 200);
  for (std::string_view path : {"/mp3", "/zebrapad/fichiers"}) {
    Response r = Get(path);
    EXPECT_EQ(r.status, 301);
    EXPECT_EQ(Header(r, "Location"), std::string(kBase) + std::string(path) + "/");
  }
}

TEST_F(SandboxSite, MissingAndOutsidePathsAre404AndOtherMethods405) {
  for (std::string_view path : {"/nothing.html", "/mp3/mozart/requiem.mp3/", "/mp3/local.mp3/", "/../secret.txt",
                                "/mp3/%2E%2E/%2E%2E/secret.txt", "/mp3/..%2F..%2Fsecret.txt", "//secret.txt"}) {
    Response r = Get(path);
    EXPECT_EQ(r.status, 404) << path;
    EXPECT_EQ(r.body.find("secret"), std::string::npos) << path;
  }
  Response post = Get("/mp3/", "", "POST");
  EXPECT_EQ(post.status, 405);
  EXPECT_EQ(Header(post, "Allow"), "GET, HEAD");
}

TEST_F(SandboxSite, GoogleCacheLinksServeSandboxPagesUnderABanner) {
  const std::string url = std::string(kBase) + "/zebrapad/index.html";
  Response cached = Get("/search?q=cache:" + CacheId(url) + ":127.0.0.1:8421/zebrapad/index.html");
  EXPECT_NE(cached.body.find("'s cache of <a href=\"" + url + "\">"), std::string::npos);
  EXPECT_NE(cached.body.find("<a href=\"http://127.0.0.1:8421/zebrapad/x.zip\">"), std::string::npos);
  EXPECT_EQ(Get("/search?q=cache:127.0.0.1:8421/zebrapad/index.html+zebrapad").status, 200);
  for (std::string_view none : {"/search?q=cache:A:127.0.0.1:8421/mp3/local.mp3", "/search?q=cache:A:127.0.0.1:8421/x",
                                "/search?q=cache:A:www.example.test/zebrapad/index.html",
                                "/search?q=cache:A:127.0.0.1:8421/../secret.txt"}) {
    EXPECT_EQ(Get(none).status, 404) << none;
  }
}

TEST_F(SandboxSite, TranslationsReportsAndTexts) {
  struct Case {
    std::string input;                 // as typed in the window
    std::optional<std::string> shown;  // what the program reads back
  } cases[] = {{"LE CHAT", "the cat"}, {"\xE7" "a va", "how are you"},
               {"\xC7" "a va", std::nullopt}};  // only A-Z are lowered
  for (const Case& c : cases) {
    Response r = Get(TranslationPath("fr_en", c.input));
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(ReadTranslation(r.body), c.shown) << c.input;
  }
  Response text = Get("/files/version.txt");
  EXPECT_EQ(text.status, 200);
  EXPECT_EQ(text.body, "Version 2\nDeux lignes\n");
  EXPECT_EQ(Get("/addtop10.php3?requete=harry+potter").status, 200);
  EXPECT_EQ(Get("/files/other.txt").status, 404);
}

}  // namespace
}  // namespace orvi::sandbox
