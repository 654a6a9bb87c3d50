;;; emacs_diagnostics.el --- Eglot and Flymake against tovel-lsp -*- lexical-binding: t; -*-

;; Drives a real Emacs in batch mode: loads the shipped tovel-mode.el,
;; connects Eglot to tovel-lsp for sample.tov and checks the Flymake
;; diagnostics before and after an edit.  CTest runs it as
;;   emacs --batch -l emacs_diagnostics.el
;; with TOVEL_EDITORS (the editors/ folder), TOVEL_SAMPLE and tovel-lsp's
;; folder first on PATH.

;;; Code:

(require 'package)
(package-initialize)                    ; Debian's elpa-eglot
(setq exec-path (append (parse-colon-path (getenv "PATH")) exec-path))
(load (expand-file-name "emacs/tovel-mode.el" (getenv "TOVEL_EDITORS")) nil t)
(require 'eglot)
(require 'flymake)

(defvar tovel-test-failures 0)

(defun tovel-test-fail (format-string &rest args)
  (setq tovel-test-failures (1+ tovel-test-failures))
  (message "FAIL: %s" (apply #'format format-string args)))

(defun tovel-test-expect (what actual expected)
  (unless (equal actual expected)
    (tovel-test-fail "%s: expected %S, got %S" what expected actual)))

(defun tovel-test-finish ()
  (message "%d failed" tovel-test-failures)
  (kill-emacs (if (= tovel-test-failures 0) 0 1)))

(defun tovel-test-wait (predicate)
  "Let timers and the server's output run until PREDICATE holds, at most 20 s."
  (let ((deadline (+ (float-time) 20)))
    (while (and (not (funcall predicate)) (< (float-time) deadline))
      (accept-process-output nil 0.05)
      ;; Batch Emacs is never idle, so run what idle timers would run.
      (when (and (eglot-current-server) eglot--change-idle-timer)
        (eglot--signal-textDocument/didChange))
      (flymake-start))
    (funcall predicate)))

(defun tovel-test-check (label line char end-char utf16 utf16-end message)
  "Check the one Flymake diagnostic: LINE (1-based), CHAR and END-CHAR
counted in characters, UTF16 and UTF16-END as the server sent them."
  (let ((diagnostics (flymake-diagnostics)))
    (tovel-test-expect (concat label " diagnostic count") (length diagnostics) 1)
    (when-let ((d (car diagnostics)))
      (let* ((beg (flymake-diagnostic-beg d))
             (end (flymake-diagnostic-end d))
             (sent (alist-get 'eglot-lsp-diag (flymake-diagnostic-data d)))
             (range (plist-get sent :range)))
        (tovel-test-expect (concat label " line") (line-number-at-pos beg) line)
        (tovel-test-expect (concat label " column")
                           (- beg (save-excursion (goto-char beg) (line-beginning-position)))
                           char)
        (tovel-test-expect (concat label " end column")
                           (- end (save-excursion (goto-char end) (line-beginning-position)))
                           end-char)
        (tovel-test-expect (concat label " type") (flymake-diagnostic-type d) 'eglot-error)
        (tovel-test-expect (concat label " sent character")
                           (plist-get (plist-get range :start) :character) utf16)
        (tovel-test-expect (concat label " sent end character")
                           (plist-get (plist-get range :end) :character) utf16-end)
        (tovel-test-expect (concat label " message") (plist-get sent :message) message)
        (tovel-test-expect (concat label " text") (flymake-diagnostic-text d)
                           (concat "tovel [" (plist-get sent :code) "]: " message))))))

(find-file (getenv "TOVEL_SAMPLE"))
(tovel-test-expect "major mode" major-mode 'tovel-mode)
(font-lock-ensure)
(defun tovel-test-face-at (line column)
  (save-excursion
    (goto-char (point-min))
    (forward-line (1- line))
    (forward-char column)
    (get-text-property (point) 'face)))
(tovel-test-expect "face of the comment" (tovel-test-face-at 2 3) 'font-lock-comment-face)
(tovel-test-expect "face of if" (tovel-test-face-at 4 0) 'font-lock-keyword-face)
(tovel-test-expect "face of the string" (tovel-test-face-at 4 4) 'font-lock-string-face)
(condition-case err
    (apply #'eglot (eglot--guess-contact))
  (error (tovel-test-fail "eglot could not connect: %S" err)
         (tovel-test-finish)))

(unless (tovel-test-wait (lambda () (flymake-diagnostics)))
  (tovel-test-fail "no diagnostics within 20 s of opening the file")
  (tovel-test-finish))
;; `<' stands after `if "', é, €, 😀 and `" ': 9 characters, 10 UTF-16 units.
(tovel-test-check "open" 4 9 11 10 12
                  "'<>' is not an operator; not-equal is != -- a != b")

;; Mend the operator and add a join by `&': the finding moves to the `&',
;; after 35 characters, 36 UTF-16 units.
(goto-char (point-min))
(forward-line 3)
(delete-region (point) (line-end-position))
(insert "if \"é€😀\" = greeting then print \"a\" & \"b\"")
(unless (tovel-test-wait
         (lambda ()
           (let ((d (car (flymake-diagnostics))))
             (and d (string-match-p "join" (flymake-diagnostic-text d))))))
  (tovel-test-fail "no new diagnostics within 20 s of the edit"))
(tovel-test-check "edit" 4 35 36 36 37
                  "'&' does not join text; use + -- \"a\" + \"b\"")

(set-buffer-modified-p nil)
(ignore-errors (eglot-shutdown (eglot-current-server)))
(tovel-test-finish)
;;; emacs_diagnostics.el ends here
