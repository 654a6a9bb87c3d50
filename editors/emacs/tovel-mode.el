;;; tovel-mode.el --- Major mode for Tovel, with tovel-lsp through Eglot -*- lexical-binding: t; -*-

;; Version: 0.1.0
;; Package-Requires: ((emacs "26.1"))
;; Keywords: languages

;;; Commentary:

;; Highlighting and comment syntax for Tovel files (*.tov), and the entry
;; that lets `M-x eglot' (or `eglot-ensure' in `tovel-mode-hook') start
;; tovel-lsp for them.  Keywords are highlighted in any letter case, as the
;; language reads them.
;;
;;   (add-to-list 'load-path "/path/to/editors/emacs")
;;   (require 'tovel-mode)
;;   (add-hook 'tovel-mode-hook #'eglot-ensure)

;;; Code:

(defgroup tovel nil
  "The Tovel scripting language."
  :group 'languages
  :prefix "tovel-")

(defcustom tovel-lsp-program "tovel-lsp"
  "The tovel-lsp program: a name looked up on `exec-path', or a full path."
  :type 'string)

(defconst tovel-keywords
  '("if" "then" "else" "for" "to" "step" "do" "until" "while" "consider"
    "break" "continue" "return" "goto" "gosub" "next" "stop" "on" "end"
    "print" "load" "use" "export" "dim" "as" "with" "new" "spawn" "error"
    "watch" "unwatch" "without" "watchers" "each" "in")
  "Statement keywords of Tovel.")

(defconst tovel-declaration-keywords
  '("program" "library" "function" "modifier")
  "Keywords that open a declaration.")

(defconst tovel-operator-words '("and" "or" "not" "excluding" "intersecting")
  "Operators written as words.")

(defconst tovel-constants '("true" "false" "nothing" "unknown")
  "Literal words.")

(defconst tovel-server-words
  '("get" "post" "put" "delete" "patch" "head" "options" "stream"
    "root" "trust_proxy")
  "Route verbs and directives of server blocks, written in lower case.")

(defun tovel--words (words)
  "A regexp matching any of WORDS as a whole word not after a dot."
  (concat "\\(?:^\\|[^.[:alnum:]_]\\)\\(" (regexp-opt words) "\\)\\_>"))

(defvar tovel-font-lock-keywords
  `((,(tovel--words tovel-declaration-keywords)
     (1 font-lock-keyword-face)
     ("\\=[ \t]+\\([[:alpha:]_][[:alnum:]_.]*\\)" nil nil
      (1 font-lock-function-name-face)))
    (,(tovel--words tovel-keywords) 1 font-lock-keyword-face)
    (,(tovel--words tovel-operator-words) 1 font-lock-builtin-face)
    (,(tovel--words tovel-constants) 1 font-lock-constant-face)
    ("^[ \t]*\\(server\\|web\\)[ \t]+\\([[:alpha:]_][[:alnum:]_]*\\)[ \t]*("
     (1 font-lock-keyword-face) (2 font-lock-type-face))
    (,(concat "^[ \t]*\\(" (regexp-opt tovel-server-words) "\\)[ \t]+\"")
     1 font-lock-keyword-face)
    ("^[ \t]*\\([[:alpha:]_][[:alnum:]_]*\\)[ \t]*:[ \t]*\\(?:'\\|$\\)"
     1 font-lock-constant-face)
    ("\\_<\\(?:0[xX][[:xdigit:]]+\\|[0-9]+\\(?:\\.[0-9]+\\)?\\(?:[eE][-+]?[0-9]+\\)?\\)"
     . font-lock-constant-face))
  "Highlighting for `tovel-mode'.")

(defvar tovel-mode-syntax-table
  (let ((table (make-syntax-table)))
    ;; A quote starts a comment that runs to the end of the line.
    (modify-syntax-entry ?' "<" table)
    (modify-syntax-entry ?\n ">" table)
    (modify-syntax-entry ?\" "\"" table)
    (modify-syntax-entry ?\\ "\\" table)
    (modify-syntax-entry ?_ "_" table)
    (dolist (c '(?+ ?- ?* ?/ ?= ?< ?> ?! ?& ?% ?^ ?$))
      (modify-syntax-entry c "." table))
    table)
  "Syntax table for `tovel-mode'.")

;;;###autoload
(define-derived-mode tovel-mode prog-mode "Tovel"
  "Major mode for Tovel source files."
  :syntax-table tovel-mode-syntax-table
  (setq-local comment-start "' ")
  (setq-local comment-end "")
  (setq-local comment-start-skip "'+[ \t]*")
  ;; Keywords are case-insensitive, so is their highlighting.
  (setq-local font-lock-defaults '(tovel-font-lock-keywords nil t)))

;;;###autoload
(add-to-list 'auto-mode-alist '("\\.tov\\'" . tovel-mode))

;;;###autoload
(with-eval-after-load 'eglot
  (add-to-list 'eglot-server-programs
               `(tovel-mode . ,(lambda (&rest _) (list tovel-lsp-program)))))

(provide 'tovel-mode)
;;; tovel-mode.el ends here
