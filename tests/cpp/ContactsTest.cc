// vCards of the three versions into people and groups, names as recipients, and group
// expansion on structures no address book should have (cycles, deep diamonds).

#include <gtest/gtest.h>

#include "Contacts/ZqRecipient.h"
#include "contacts/AddressBook.h"

using velquarin::platform::AddressBook;
using velquarin::platform::FileCard;
using velquarin::platform::Person;
namespace vcard = velquarin::platform::vcard;
namespace personflags = velquarin::platform::personflags;

namespace {

AddressBook bookOf(const std::string& text) {
  std::vector<FileCard> cards;
  for (auto& card : vcard::parse(text)) cards.push_back({"a.vcf", cards.size(), std::move(card)});
  return AddressBook::build(std::move(cards));
}

std::vector<std::string> forms(const std::vector<ZqRecipient>& recipients) {
  std::vector<std::string> result;
  for (const auto& recipient : recipients) result.push_back(recipient.stringForEmail());
  return result;
}

}  // namespace

TEST(Contacts, CardsOfEachVersion) {
  const AddressBook book = bookOf(
      "BEGIN:VCARD\r\nVERSION:2.1\r\n"
      "N;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:M=FCller;J=FC=\r\nrgen;;Dr.;\r\n"
      "EMAIL;INTERNET:j@example.com\r\nEMAIL;PREF;INTERNET:jm@example.com\r\n"
      "PHOTO;ENCODING=BASE64;TYPE=GIF:\r\n R0lGODdh\r\n\r\nEND:VCARD\r\n"
      "begin:vcard\nversion:3.0\nitem1.email;type=\"INTERNET,work\":  ann@example.com \n"
      "EMAIL;TYPE=home,pref:a\n nn@example.com\nEMAIL:\nN:Lee;Ann;Marie,Jo;;PhD\n"
      "ORG:Acme\\, Inc.;Sales\nX-ABShowAs:COMPANY\nUID:urn:uuid:ann\nend:vcard\n"
      "BEGIN:VCARD\nVERSION:4.0\nFN:Bob \\\"B\\\"\\, Ray\\nJr\nEMAIL;PREF=2:b@example.com\n"
      "EMAIL;TYPE=pref:c@example.com\nEMAIL;PREF=1:d@example.com\nKIND:org\n"
      "AGENT:\nBEGIN:VCARD\nEMAIL:inner@example.com\nEND:VCARD\nNOTE:\xff\nEND:VCARD\n");
  ASSERT_EQ(book.people.size(), 3u);
  const Person& j = *book.people[0];
  EXPECT_EQ(j.lastName, "M\xC3\xBCller");
  EXPECT_EQ(j.firstName, "J\xC3\xBCrgen");
  EXPECT_EQ(j.title, "Dr.");
  EXPECT_EQ(j.primaryEmailValue(), "jm@example.com");
  EXPECT_EQ(j.identifier, "a.vcf#0");

  const Person& ann = *book.people[1];
  EXPECT_EQ(ann.identifier, "ann");
  EXPECT_EQ(ann.emails, (std::vector<std::string>{"ann@example.com", "ann@example.com"}));
  EXPECT_EQ(ann.primaryEmail, 1u);
  EXPECT_EQ(ann.middleName, "Marie Jo");
  EXPECT_EQ(ann.suffix, "PhD");
  EXPECT_EQ(ann.organization, "Acme, Inc.");
  EXPECT_EQ(ann.flags & personflags::kShowAsMask, personflags::kShowAsCompany);

  const Person& bob = *book.people[2];
  EXPECT_EQ(bob.firstName, "Bob \\\"B\\\", Ray\nJr");  // unknown escapes stay as written
  EXPECT_EQ(bob.primaryEmailValue(), "d@example.com");
  EXPECT_EQ(bob.emails.size(), 3u) << "the nested card is skipped, the outer one kept";
}

TEST(Contacts, GroupsMembersAndCategories) {
  const AddressBook book = bookOf(
      "BEGIN:VCARD\nUID:p1\nFN:Pat\nEMAIL:p@example.com\nCATEGORIES:Work,Golf\nEND:VCARD\n"
      "BEGIN:VCARD\nUID:p2\nN:;;;;\nEMAIL:q@example.com\nCATEGORIES:Work\nEND:VCARD\n"
      "BEGIN:VCARD\nKIND:group\nUID:urn:uuid:g1\nFN:Team\nMEMBER:urn:uuid:p2\nMEMBER:p1\n"
      "MEMBER:mailto:guest@example.com?subject=x\nMEMBER:urn:uuid:nobody\nMEMBER:urn:uuid:g2\n"
      "END:VCARD\n"
      "BEGIN:VCARD\nX-ADDRESSBOOKSERVER-KIND:group\nUID:g2\nFN:Inner\n"
      "X-ADDRESSBOOKSERVER-MEMBER:urn:uuid:p1\nEND:VCARD\n");
  ASSERT_EQ(book.groups.size(), 4u);
  EXPECT_EQ(book.groups[0].name, "Team");
  EXPECT_EQ(book.groups[0].subgroups, std::vector<std::size_t>{1});
  EXPECT_EQ(book.groups[2].name, "Work");
  EXPECT_EQ(book.groups[3].name, "Golf");
  EXPECT_EQ(book.groupNamed("Work"), &book.groups[2]);
  EXPECT_EQ(forms(ZqRecipient::recipientsFromGroup(book, 0)),
            (std::vector<std::string>{"<q@example.com>", "\"Pat\" <p@example.com>",
                                      "<guest@example.com>", "\"Pat\" <p@example.com>"}));
}

TEST(Contacts, NamesByFlagsAndOrdering) {
  Person person;
  person.emails = {"x@example.com", "x,y@example.com"};
  person.title = "Dr.";
  person.firstName = "Ann";
  person.middleName = "B";
  person.lastName = "Lee";
  const struct {
    int flags;
    int defaultOrdering;
    std::string name;
  } cases[] = {
      {0, personflags::kFirstNameFirst, "Dr. Ann B Lee"},
      {0, personflags::kLastNameFirst, "Dr. Lee Ann B"},
      {personflags::kLastNameFirst, personflags::kFirstNameFirst, "Dr. Lee Ann B"},
      {personflags::kFirstNameFirst, personflags::kLastNameFirst, "Dr. Ann B Lee"},
      {48, personflags::kLastNameFirst, "Dr. Ann B Lee"},
      {personflags::kShowAsCompany, personflags::kFirstNameFirst, ""},
      {6, personflags::kFirstNameFirst, ""},
  };
  for (const auto& entry : cases) {
    person.flags = entry.flags;
    AddressBook::setDefaultNameOrdering(entry.defaultOrdering);
    const auto recipient = ZqRecipient::recipient("x@example.com", person);
    ASSERT_TRUE(recipient);
    EXPECT_EQ(recipient->name(), entry.name) << entry.flags << " " << entry.defaultOrdering;
  }
  AddressBook::setDefaultNameOrdering(personflags::kFirstNameFirst);
  EXPECT_FALSE(ZqRecipient::recipient("X@example.com", person)) << "values match exactly";
  EXPECT_FALSE(ZqRecipient::recipient("x,y@example.com", person)) << "an address that splits";
  Person unnamed;
  unnamed.emails = {"x@example.com"};
  EXPECT_EQ(ZqRecipient::recipient("x@example.com", unnamed)->name(), "");
}

TEST(Contacts, HostileNamesStayOneQuotedString) {
  EXPECT_EQ(ZqRecipient::recipient("a@b.c", "Eve\", x@evil.example, \"").stringForEmail(),
            "\"Eve\\\", x@evil.example, \\\"\" <a@b.c>");
  EXPECT_EQ(ZqRecipient::recipient("a@b.c", "back\\slash\r\nline").stringForEmail(),
            "\"back\\\\slash  line\" <a@b.c>");
}

TEST(Contacts, CyclesAndDiamondsEnd) {
  std::string text = "BEGIN:VCARD\nUID:p\nFN:P\nEMAIL:p@example.com\nEND:VCARD\n";
  // Self-member, a two-group cycle, and 80 levels of diamonds (two paths to each level).
  text += "BEGIN:VCARD\nKIND:group\nUID:self\nFN:Self\nMEMBER:p\nMEMBER:self\nEND:VCARD\n";
  text += "BEGIN:VCARD\nKIND:group\nUID:a\nFN:A\nMEMBER:p\nMEMBER:b\nEND:VCARD\n";
  text += "BEGIN:VCARD\nKIND:group\nUID:b\nFN:B\nMEMBER:a\nEND:VCARD\n";
  for (int level = 0; level < 80; ++level) {
    const std::string next = "d" + std::to_string(level + 1);
    text += "BEGIN:VCARD\nKIND:group\nUID:d" + std::to_string(level) + "\nFN:D" +
            std::to_string(level) + "\nMEMBER:p\nMEMBER:" + next + "\nMEMBER:" + next +
            "\nEND:VCARD\n";
  }
  const AddressBook book = bookOf(text);
  EXPECT_EQ(ZqRecipient::recipientsFromGroup(book, 0).size(), 1u);
  EXPECT_EQ(ZqRecipient::recipientsFromGroup(book, 2).size(), 1u);  // B holds A, A holds B
  const auto diamond = ZqRecipient::recipientsFromGroup(book, *book.groupIndex("d0"));
  EXPECT_EQ(diamond.size(), ZqRecipient::kMaxGroupRecipients);
}
