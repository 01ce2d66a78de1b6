#pragma once

#include <nlohmann/json.hpp>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "menus/Menu.h"
#include "support/Attachment.h"
#include "windows/Window.h"

namespace velquarin::platform::support {

enum class SubjectType { Problem, FeatureRequest, Other };

// The support SDK's shared object: what the application configures before presenting the
// support and feedback window, and the window itself (one, reused). Nothing is sent to the
// service; the message is a model the platform binding reads. Main thread.
class Replies {
 public:
  static constexpr const char* kWindowClass = "RepliesIOWindow";

  static Replies& sharedReplies();

  void setAPIHost(std::string host) { apiHost_ = std::move(host); }
  void setFormIdentifier(std::string identifier) { formIdentifier_ = std::move(identifier); }
  void setProductName(std::string name) { productName_ = std::move(name); }
  void setMenu(std::shared_ptr<Menu> menu) { menu_ = std::move(menu); }
  void setThreadId(std::optional<std::string> thread) { threadId_ = std::move(thread); }
  void setBody(std::optional<std::string> body) { body_ = std::move(body); }
  void setSubjectTypes(std::vector<SubjectType> types) { subjectTypes_ = std::move(types); }
  void setMetaData(nlohmann::json metaData) { metaData_ = std::move(metaData); }
  void addAttachment(std::string path) { attachments_.push_back(std::move(path)); }
  // Forgets the message of an earlier opening: thread, body, metadata, attachments, menu.
  void resetMessage();

  // Shows the window (made once, then reused) in front; it becomes main.
  void presentWindow();
  // The user closes the window; the message stays as it was.
  void closeWindow();
  std::shared_ptr<Window> window() const;

  const std::string& apiHost() const { return apiHost_; }
  const std::string& formIdentifier() const { return formIdentifier_; }
  const std::string& productName() const { return productName_; }
  std::shared_ptr<Menu> menu() const { return menu_; }
  const std::optional<std::string>& threadId() const { return threadId_; }
  const std::optional<std::string>& body() const { return body_; }
  const std::vector<SubjectType>& subjectTypes() const { return subjectTypes_; }
  const nlohmann::json& metaData() const { return metaData_; }
  const std::vector<std::string>& attachments() const { return attachments_; }

  // Editor sessions: the user edits a screenshot (title, annotations) and saves or cancels;
  // the completion gets the edited attachment, or null when cancelled.
  using EditCompletion = std::function<void(std::shared_ptr<ScreenShotAttachment>)>;
  std::uint64_t editAttachment(std::shared_ptr<ScreenShotAttachment> attachment,
                               EditCompletion completion);
  struct EditorSession {
    std::uint64_t id;
    std::shared_ptr<ScreenShotAttachment> attachment;
    EditCompletion completion;
  };
  const std::vector<EditorSession>& editorSessions() const { return editors_; }
  ScreenShotAttachment* editedAttachment(std::uint64_t id) const;
  // Saves or cancels; false for an unknown session.
  bool finishEditor(std::uint64_t id, bool save);

  // A capture session: the user takes a screenshot or a recording, or gives up. A new
  // request replaces one still open (whose completion gets nothing).
  using CaptureCompletion = std::function<void(std::shared_ptr<Attachment>)>;
  void takeScreenRecording(CaptureCompletion completion);
  bool isCapturing() const { return static_cast<bool>(capture_); }
  // Ends the capture with `result` (null: nothing); false when none is open.
  bool finishCapture(std::shared_ptr<Attachment> result);

 private:
  Replies() = default;
  std::string apiHost_;
  std::string formIdentifier_;
  std::string productName_;
  std::shared_ptr<Menu> menu_;
  std::optional<std::string> threadId_;
  std::optional<std::string> body_;
  std::vector<SubjectType> subjectTypes_;
  nlohmann::json metaData_;
  std::vector<std::string> attachments_;
  std::uint64_t window_ = 0;
  std::vector<EditorSession> editors_;
  std::uint64_t nextEditor_ = 1;
  CaptureCompletion capture_;
};

const char* subjectTypeName(SubjectType type);

}  // namespace velquarin::platform::support
